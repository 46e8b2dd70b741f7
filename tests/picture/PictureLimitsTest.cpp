// The limits that keep one picture load within seconds and 768 MiB: the size
// cap at its exact edge, the JPEG scan work, and the buffers kept between loads.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

// clang-format off
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include "core/Errors.h"
#include "core/picture/PaintSurface.h"
#include "core/picture/PictureDecoders.h"
#include "support/BmpBuilder.h"
#include "support/JpegBuilder.h"

namespace tintaro {
namespace {

// Sets an environment variable for the length of one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) { setenv(name, value, 1); }
  ~ScopedEnv() { unsetenv(name_); }

 private:
  const char* name_;
};

TEST(PictureLimits, TheSizeCapHoldsExactlyAtItsEdges) {
  struct Case {
    int64_t width, height;
    bool allowed;
  };
  for (const Case& c : {Case{8192, 8192, true}, Case{8192, 8193, false}, Case{32768, 2048, true},
                        Case{32768, 2049, false}, Case{2048, 32768, true}, Case{32769, 1, false},
                        Case{1, 32769, false}, Case{0, 0, true}, Case{-1, 1, false}}) {
    EXPECT_EQ(PictureSizeAllowed(c.width, c.height), c.allowed) << c.width << " x " << c.height;
  }
  // A 54-byte file declaring one row more than the cap allocates nothing.
  test::BmpOptions header;
  header.widthField = 8192;
  header.heightField = 8193;
  header.pixelData = std::vector<uint8_t>{};
  Picture picture;
  EXPECT_THROW(DecodeBmp(test::BuildBmp(1, 1, {}, header), picture), EInvalidGraphic);
  EXPECT_EQ(picture.pixels.capacity(), 0u);
}

TEST(PictureLimits, JpegScansAreRefusedOnceTheirBlocksExceedTheWorkLimit) {
  // 64 x 64 grey is 64 blocks; the first scan repeated 100 times sweeps 6400.
  const std::vector<uint8_t> progressive =
      test::BuildJpeg(64, 64, test::GradientPixels(64, 64), {.progressive = true, .greyscale = true});
  const std::vector<uint8_t> file = test::RepeatFirstScan(progressive, 100);
  Picture picture;
  DecodeJpeg(file, picture);
  ScopedEnv limit("TINTARO_JPEG_SCAN_BLOCK_LIMIT", "6400");
  DecodeJpeg(file, picture);
  ScopedEnv lower("TINTARO_JPEG_SCAN_BLOCK_LIMIT", "6399");
  try {
    DecodeJpeg(file, picture);
    ADD_FAILURE() << "decoded past the work limit";
  } catch (const EJPEG& e) {
    EXPECT_EQ(std::string(e.what()), "JPEG error #" + std::to_string(JERR_BAD_SCAN_SCRIPT));
  }
}

TEST(PictureLimits, ALargePictureIsNotHeldTwiceBetweenLoads) {
  const std::string path = std::filesystem::temp_directory_path() / ("tintaro-limits-" + std::to_string(getpid()) + ".bmp");
  test::WriteFileBytes(path, test::BuildBmp(40, 40, std::vector<uint32_t>(1600, 0x00FF00)));
  ScopedEnv spare("TINTARO_PICTURE_SPARE_PIXELS", "1599");
  PaintSurface surface;
  surface.LoadPicture(path);
  surface.LoadPicture(path);
  std::filesystem::remove(path);
  EXPECT_EQ(surface.PixelAt(39, 39), 0x00FF00u);
  // The picture and no spare; the 4854-byte file fits under the threshold.
  EXPECT_LE(surface.HeldBytes(), 1600 * 4 + 4854u);
}

// Only a surface prepared for reloads holds a spare, of the picture's size, so
// the reload allocates nothing; a picture above the kept size gets none.
TEST(PictureLimits, APreparedSurfaceReloadsIntoItsSpare) {
  const std::string path = std::filesystem::temp_directory_path() / ("tintaro-spare-" + std::to_string(getpid()) + ".bmp");
  test::WriteFileBytes(path, test::BuildBmp(40, 40, std::vector<uint32_t>(1600, 0x00FF00)));
  constexpr size_t kPicture = 1600 * 4, kFile = 4854;
  const struct {
    const char* keptPixels;
    size_t held;  // after preparing, and after the reload
  } cases[] = {{"1600", 2 * kPicture + kFile}, {"1599", kPicture + kFile}};
  for (const auto& c : cases) {
    ScopedEnv spare("TINTARO_PICTURE_SPARE_PIXELS", c.keptPixels);
    PaintSurface surface;
    surface.LoadPicture(path);
    EXPECT_EQ(surface.HeldBytes(), kPicture + kFile) << c.keptPixels;
    surface.PrepareReload();
    EXPECT_EQ(surface.HeldBytes(), c.held) << c.keptPixels;
    surface.LoadPicture(path);
    EXPECT_EQ(surface.HeldBytes(), c.held) << c.keptPixels;
  }
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace tintaro
