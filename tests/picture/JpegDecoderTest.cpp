// The JPEG decoder: pixels of pictures compressed here, libjpeg's refusals
// as numbered EJPEG failures, and the caps on size and scan count.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include "core/Errors.h"
#include "core/picture/PaintSurface.h"
#include "core/picture/PictureDecoders.h"
#include "core/picture/PictureHeaderSize.h"
#include "support/JpegBuilder.h"

namespace tintaro {
namespace {

using test::BuildJpeg;
using test::GradientPixels;
using test::JpegOptions;

int Channel(uint32_t pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xFF); }

// The largest difference of any channel of any pixel; also fails the test
// when a pixel has a non-zero high byte.
int MaxChannelError(const Picture& decoded, const std::vector<uint32_t>& expected) {
  EXPECT_EQ(decoded.pixels.size(), expected.size());
  int worst = 0;
  for (size_t i = 0; i < expected.size() && i < decoded.pixels.size(); ++i) {
    EXPECT_EQ(decoded.pixels[i] >> 24, 0u) << "pixel " << i;
    for (int shift : {0, 8, 16}) {
      worst = std::max(worst, std::abs(Channel(decoded.pixels[i], shift) - Channel(expected[i], shift)));
    }
  }
  return worst;
}

// The mean difference over all channels of all pixels.
double MeanChannelError(const Picture& decoded, const std::vector<uint32_t>& expected) {
  EXPECT_EQ(decoded.pixels.size(), expected.size());
  double sum = 0;
  for (size_t i = 0; i < expected.size() && i < decoded.pixels.size(); ++i) {
    for (int shift : {0, 8, 16})
      sum += std::abs(Channel(decoded.pixels[i], shift) - Channel(expected[i], shift));
  }
  return expected.empty() ? 0 : sum / (3.0 * static_cast<double>(expected.size()));
}

// The message number of the EJPEG that decoding raises, or -1 for success.
int DecodeError(const std::vector<uint8_t>& file) {
  Picture picture;
  try {
    DecodeJpeg(file, picture);
  } catch (const EJPEG& e) {
    const std::string message = e.what();
    const std::string prefix = "JPEG error #";
    EXPECT_EQ(message.rfind(prefix, 0), 0u) << message;
    return std::atoi(message.c_str() + prefix.size());
  }
  return -1;
}

TEST(JpegDecoder, ColourPicturesDecodeCloseToTheirSourceInEveryLayout) {
  // Odd sizes leave partial blocks and partial chroma samples at the edges.
  const int width = 37, height = 23;
  const std::vector<uint32_t> source = GradientPixels(width, height);
  for (const JpegOptions options :
       {JpegOptions{}, JpegOptions{.progressive = true}, JpegOptions{.subsample = true},
        JpegOptions{.progressive = true, .subsample = true}}) {
    SCOPED_TRACE(testing::Message() << "progressive " << options.progressive << " subsampled "
                                    << options.subsample);
    Picture picture;
    DecodeJpeg(BuildJpeg(width, height, source, options), picture);
    EXPECT_EQ(picture.kind, PictureKind::Jpeg);
    ASSERT_EQ(picture.width, width);
    ASSERT_EQ(picture.height, height);
    if (options.subsample) {
      // Halved chroma smears the block's edges; on average it stays close.
      EXPECT_LT(MeanChannelError(picture, source), 6.0);
    } else {
      EXPECT_LE(MaxChannelError(picture, source), 20);
      EXPECT_LT(MeanChannelError(picture, source), 3.0);
    }
  }
  // The flat block keeps its colour, red in the low byte.
  Picture picture;
  DecodeJpeg(BuildJpeg(width, height, source), picture);
  EXPECT_NEAR(Channel(picture.pixels[1 * width + 1], 0), 230, 6);
  EXPECT_NEAR(Channel(picture.pixels[1 * width + 1], 8), 40, 6);
  EXPECT_NEAR(Channel(picture.pixels[1 * width + 1], 16), 30, 6);
}

TEST(JpegDecoder, GreyscaleAndCmykFilesDecodeToRgb) {
  const int width = 24, height = 16;
  const std::vector<uint32_t> source = GradientPixels(width, height);

  Picture grey;
  DecodeJpeg(BuildJpeg(width, height, source, {.greyscale = true}), grey);
  ASSERT_EQ(grey.width, width);
  ASSERT_EQ(grey.height, height);
  for (size_t i = 0; i < source.size(); ++i) {
    const uint32_t p = grey.pixels[i];
    ASSERT_EQ(p >> 24, 0u);
    ASSERT_EQ(Channel(p, 0), Channel(p, 8)) << i;
    ASSERT_EQ(Channel(p, 0), Channel(p, 16)) << i;
    ASSERT_NEAR(Channel(p, 0), Channel(source[i], 0), 8) << i;
  }

  Picture cmyk;
  DecodeJpeg(BuildJpeg(width, height, source, {.cmyk = true}), cmyk);
  ASSERT_EQ(cmyk.width, width);
  EXPECT_LE(MaxChannelError(cmyk, source), 12);
  // Without Adobe's marker the inks are taken as stored.
  DecodeJpeg(BuildJpeg(width, height, source, {.cmyk = true, .plainInks = true}), cmyk);
  EXPECT_LE(MaxChannelError(cmyk, source), 12);
}

TEST(JpegDecoder, ReusesThePictureAndTreatsAnEmptyFileAsAnEmptyPicture) {
  Picture picture;
  DecodeJpeg(BuildJpeg(40, 30, GradientPixels(40, 30)), picture);
  const uint32_t* buffer = picture.pixels.data();
  const std::vector<uint32_t> small = GradientPixels(8, 8);
  DecodeJpeg(BuildJpeg(8, 8, small), picture);
  EXPECT_EQ(picture.pixels.data(), buffer) << "a smaller picture reuses the buffer";
  EXPECT_EQ(picture.width, 8);
  EXPECT_LE(MaxChannelError(picture, small), 12);

  DecodeJpeg({}, picture);
  EXPECT_EQ(picture.kind, PictureKind::Jpeg);
  EXPECT_EQ(picture.width, 0);
  EXPECT_EQ(picture.height, 0);
  EXPECT_TRUE(picture.pixels.empty());
  EXPECT_EQ(JpegDeclaredSize({}).width, 0);
}

TEST(JpegDecoder, DataLibjpegRefusesRaisesItsMessageNumberWithoutPrinting) {
  testing::internal::CaptureStderr();
  const std::vector<uint8_t> bmp = {'B', 'M', 0x3A, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0};
  EXPECT_EQ(DecodeError(bmp), JERR_NO_SOI);
  EXPECT_EQ(DecodeError({0xFF}), JERR_NO_SOI);
  EXPECT_EQ(DecodeError({0xFF, 0xD8}), JERR_NO_IMAGE);
  // A frame of zero width.
  std::vector<uint8_t> empty = BuildJpeg(8, 8, GradientPixels(8, 8));
  test::SetJpegFrameSize(empty, 0, 8);
  EXPECT_EQ(DecodeError(empty), JERR_EMPTY_IMAGE);
  // Two components: libjpeg cannot say what colours they are.
  EXPECT_EQ(DecodeError(BuildJpeg(8, 8, GradientPixels(8, 8), {.twoComponents = true})),
            JERR_CONVERSION_NOTIMPL);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

  // An EJPEG is an invalid picture to callers that catch that kind.
  Picture picture;
  EXPECT_THROW(DecodeJpeg(bmp, picture), EInvalidGraphic);
  EXPECT_THROW(JpegDeclaredSize(bmp), EJPEG);
}

TEST(JpegDecoder, TruncatedPictureDataKeepsWhatArrivedAndFillsTheRestQuietly) {
  const int width = 32, height = 64;
  const std::vector<uint32_t> source = GradientPixels(width, height);
  const std::vector<uint8_t> whole = BuildJpeg(width, height, source);
  const test::ScanData scan = test::FirstScanData(whole);
  ASSERT_GT(scan.end, scan.begin + 100);

  // Cut half way through the entropy data: the picture keeps its size, its
  // first rows match the source and its last row is libjpeg's flat fill.
  const std::vector<uint8_t> halfData(
      whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>((scan.begin + scan.end) / 2));
  testing::internal::CaptureStderr();
  Picture picture;
  DecodeJpeg(halfData, picture);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  ASSERT_EQ(picture.width, width);
  ASSERT_EQ(picture.height, height);
  Picture top;
  top.pixels.assign(picture.pixels.begin(), picture.pixels.begin() + 8 * width);
  EXPECT_LE(MaxChannelError(top, {source.begin(), source.begin() + 8 * width}), 12);
  const uint32_t* last = picture.pixels.data() + static_cast<size_t>(height - 1) * width;
  for (int x = 0; x < width; ++x) EXPECT_EQ(last[x], last[0]) << x;
  EXPECT_GT(std::abs(Channel(last[0], 8) - Channel(source.back(), 8)), 40)
      << "the bottom rows were not in the file";

  // Cut inside the headers, before any picture data: refused.
  const std::vector<uint8_t> headerOnly(whole.begin(),
                                        whole.begin() + static_cast<std::ptrdiff_t>(scan.begin - 40));
  EXPECT_GT(DecodeError(headerOnly), 0);
  // Headers whole but no data at all: a picture of the full size, flat
  // after the first block row (which libjpeg decodes from zero bits).
  const std::vector<uint8_t> noData(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(scan.begin));
  DecodeJpeg(noData, picture);
  ASSERT_EQ(picture.width, width);
  ASSERT_EQ(picture.height, height);
  for (size_t i = 8 * width; i < picture.pixels.size(); ++i) ASSERT_EQ(picture.pixels[i], last[0]) << i;
}

TEST(JpegDecoder, FramesBeyondTheSizeCapAreRefusedBeforeDecoding) {
  std::vector<uint8_t> file = BuildJpeg(8, 8, GradientPixels(8, 8));
  // The longest side allowed: decodes (libjpeg fills what the file lacks).
  test::SetJpegFrameSize(file, 32768, 8);
  Picture picture;
  testing::internal::CaptureStderr();
  DecodeJpeg(file, picture);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(picture.width, 32768);
  EXPECT_EQ(picture.height, 8);

  test::SetJpegFrameSize(file, 32769, 8);
  EXPECT_EQ(DecodeError(file), JERR_IMAGE_TOO_BIG);
  test::SetJpegFrameSize(file, 20000, 20000);  // each side fits, the area does not
  EXPECT_EQ(DecodeError(file), JERR_IMAGE_TOO_BIG);
  EXPECT_EQ(JpegDeclaredSize(file).width, 20000);
  test::SetJpegFrameSize(file, 65535, 8);  // beyond libjpeg's own limit
  EXPECT_EQ(DecodeError(file), JERR_IMAGE_TOO_BIG);
}

TEST(JpegDecoder, ProgressiveFilesWithAbsurdlyManyScansAreRefused) {
  const std::vector<uint8_t> progressive = BuildJpeg(64, 64, GradientPixels(64, 64), {.progressive = true});
  testing::internal::CaptureStderr();
  Picture picture;
  DecodeJpeg(test::RepeatFirstScan(progressive, 1), picture);
  EXPECT_EQ(picture.width, 64);
  DecodeJpeg(test::RepeatFirstScan(progressive, 256), picture);
  EXPECT_EQ(picture.height, 64);
  EXPECT_EQ(DecodeError(test::RepeatFirstScan(progressive, 257)), JERR_BAD_SCAN_SCRIPT);
  EXPECT_EQ(DecodeError(test::RepeatFirstScan(progressive, 5000)), JERR_BAD_SCAN_SCRIPT);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// Writes bytes to a fresh file under the temporary folder and removes it.
class TempFile {
 public:
  TempFile(const std::string& name, const std::vector<uint8_t>& bytes)
      : path_(std::filesystem::temp_directory_path() /
              ("tintaro-jpeg-" + std::to_string(::getpid()) + "-" + name)) {
    std::ofstream(path_, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  ~TempFile() { std::filesystem::remove(path_); }
  std::string Path() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

TEST(JpegDecoder, PaintSurfaceShowsJpegsButRefusesToReadOrFillThem) {
  const std::vector<uint32_t> source = GradientPixels(20, 10);
  TempFile jpeg("pic.JPG", BuildJpeg(20, 10, source));
  TempFile notJpeg("bad.jpeg", {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});

  PaintSurface surface;
  surface.LoadPicture(jpeg.Path());
  EXPECT_EQ(surface.Width(), 20);
  EXPECT_EQ(surface.ControlHeight(), 10);
  EXPECT_EQ(surface.CurrentPicture().kind, PictureKind::Jpeg);
  try {
    surface.PixelAt(1, 1);
    ADD_FAILURE() << "PixelAt read a JPEG";
  } catch (const EInvalidOperation& e) {
    EXPECT_STREQ(e.what(), "Can only modify an image if it contains a bitmap");
  }
  EXPECT_THROW(surface.FillToBlack(1, 1, kRed), EInvalidOperation);
  EXPECT_NEAR(Channel(surface.CurrentPicture().pixels[0], 0), 230, 6) << "the flat red block";

  // A failed load keeps the JPEG.
  try {
    surface.LoadPicture(notJpeg.Path());
    ADD_FAILURE() << "a BMP loaded as a JPEG";
  } catch (const EJPEG& e) {
    EXPECT_EQ(std::string(e.what()), "JPEG error #" + std::to_string(JERR_NO_SOI));
  }
  EXPECT_EQ(surface.Width(), 20);
  EXPECT_EQ(surface.CurrentPicture().kind, PictureKind::Jpeg);

  // A 0-byte JPEG is an empty picture; the control keeps its size.
  TempFile empty("empty.jpeg", {});
  surface.LoadPicture(empty.Path());
  EXPECT_EQ(surface.Width(), 0);
  EXPECT_EQ(surface.Height(), 0);
  EXPECT_EQ(surface.ControlWidth(), 20);
  EXPECT_EQ(surface.ControlHeight(), 10);
}

}  // namespace
}  // namespace tintaro
