// The icon decoder: header and directory rules, choice of the largest image,
// the AND mask and alpha over white, and hostile directories.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/Errors.h"
#include "core/picture/PictureDecoders.h"
#include "support/IconBuilder.h"

namespace tintaro {
namespace {

using test::BuildIcon;
using test::IconImage;

Picture Decode(const std::vector<uint8_t>& bytes) {
  Picture p;
  DecodeIcon(bytes, p);
  return p;
}

template <typename E>
void ExpectFailure(const std::vector<uint8_t>& bytes, const char* message) {
  Picture p;
  try {
    DecodeIcon(bytes, p);
    ADD_FAILURE() << "decoded, expected " << message;
  } catch (const E& e) {
    EXPECT_STREQ(e.what(), message);
  } catch (const std::exception& e) {
    ADD_FAILURE() << "wrong failure kind: " << e.what();
  }
}

void ExpectNotValid(const std::vector<uint8_t>& bytes) { ExpectFailure<EInvalidGraphic>(bytes, kIconNotValid); }
void ExpectReadError(const std::vector<uint8_t>& bytes) { ExpectFailure<EReadError>(bytes, kStreamReadError); }

IconImage TrueColour(int width, int height, uint32_t colour, int bits = 24) {
  IconImage image;
  image.width = width;
  image.height = height;
  image.dib.bitsPerPixel = bits;
  image.pixels.assign(static_cast<size_t>(width) * height, colour);
  return image;
}

TEST(IconHeader, FilesShorterThanTheHeaderAreReadErrors) {
  const std::vector<uint8_t> good = BuildIcon({TrueColour(1, 1, 0)});
  for (size_t n = 0; n < 6; ++n) ExpectReadError({good.begin(), good.begin() + n});
}

TEST(IconHeader, HeadersThatNameNoIconOrCursorAreNotValid) {
  ExpectNotValid(BuildIcon({TrueColour(1, 1, 0)}, 0));
  ExpectNotValid(BuildIcon({TrueColour(1, 1, 0)}, 3));
  ExpectNotValid(BuildIcon({TrueColour(1, 1, 0)}, 1, std::nullopt, 1));
  ExpectNotValid(BuildIcon({}, 1));
  // A BMP file is not an icon.
  ExpectNotValid(test::BuildBmp(1, 1, {0}));
}

TEST(IconHeader, DirectoryCutShortIsAReadError) {
  std::vector<uint8_t> bytes = BuildIcon({TrueColour(1, 1, 0)});
  ExpectReadError({bytes.begin(), bytes.begin() + 6 + 15});
  ExpectReadError(BuildIcon({TrueColour(1, 1, 0)}, 1, 0xFFFF));
}

TEST(IconImages, TheLargestImageIsDecodedAndTiesGoToMoreBits) {
  IconImage small = TrueColour(16, 16, 0x111111);
  IconImage fourBit;
  fourBit.width = fourBit.height = 32;
  fourBit.dib.bitsPerPixel = 4;
  fourBit.dib.palette = {0x222222};
  fourBit.pixels.assign(32 * 32, 0);
  IconImage wide = TrueColour(32, 32, 0x333333);
  IconImage tall = TrueColour(8, 100, 0x444444, 8);  // fewer pixels than 32 x 32
  tall.dib.palette = {0x444444};
  tall.pixels.assign(800, 0);
  const Picture p = Decode(BuildIcon({small, fourBit, wide, tall}));
  EXPECT_EQ(p.kind, PictureKind::Icon);
  ASSERT_EQ(p.width, 32);
  ASSERT_EQ(p.height, 32);
  EXPECT_EQ(p.pixels, std::vector<uint32_t>(32 * 32, 0x333333));
  // Same order reversed: still the 24-bit image.
  EXPECT_EQ(Decode(BuildIcon({tall, wide, fourBit, small})).pixels[0], 0x333333u);
}

TEST(IconImages, CursorsDecodeLikeIcons) {
  const Picture p = Decode(BuildIcon({TrueColour(3, 2, 0x0000FF)}, 2));
  EXPECT_EQ(p.kind, PictureKind::Icon);
  EXPECT_EQ(p.pixels, std::vector<uint32_t>(6, 0x0000FF));
}

TEST(IconMask, MaskedPixelsShowWhiteInEveryDepth) {
  // 5 x 3 with a diagonal mask; odd width exercises the mask's row padding.
  std::vector<uint8_t> mask(15, 0);
  mask[0] = mask[6] = mask[12] = mask[14] = 1;
  for (int bits : {1, 4, 8, 24}) {
    IconImage image;
    image.width = 5;
    image.height = 3;
    image.dib.bitsPerPixel = bits;
    if (bits <= 8) image.dib.palette = {0x0000FF, 0x00FF00};
    image.pixels.assign(15, bits <= 8 ? 1 : 0x00FF00);
    image.andMask = mask;
    for (bool topDown : {false, true}) {
      image.dib.topDown = topDown;
      std::vector<uint32_t> expected(15, 0x00FF00);
      for (int i : {0, 6, 12, 14}) expected[i] = 0xFFFFFF;
      EXPECT_EQ(Decode(BuildIcon({image})).pixels, expected) << bits << topDown;
    }
  }
}

TEST(IconMask, AlphaBlendsOverWhiteAndWithoutAlphaTheMaskRules) {
  IconImage image = TrueColour(4, 1, 0, 32);
  image.pixels = {0xFF0000FF, 0x000000FF, 0x80000000, 0x40FF8000};
  image.andMask = {1, 1, 1, 0};  // ignored once there is alpha
  // 255 * (1 - a/255) + c * a/255, rounded.
  EXPECT_EQ(Decode(BuildIcon({image})).pixels,
            (std::vector<uint32_t>{0x0000FF, 0xFFFFFF, 0x7F7F7F, 0xFFDFBF}));
  // The same words read through bit-field masks with red in the third byte.
  image.dib.compression = test::kAlphaBitfields;
  image.dib.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  EXPECT_EQ(Decode(BuildIcon({image})).pixels,
            (std::vector<uint32_t>{0xFF0000, 0xFFFFFF, 0x7F7F7F, 0xBFDFFF}));
  image.dib = {};
  image.dib.bitsPerPixel = 32;
  // No alpha at all: an old-style 32-bit image whose mask decides.
  image.pixels = {0x000000FF, 0x0000FF00, 0x00FF0000, 0x00123456};
  image.andMask = {0, 1, 0, 1};
  EXPECT_EQ(Decode(BuildIcon({image})).pixels,
            (std::vector<uint32_t>{0x0000FF, 0xFFFFFF, 0xFF0000, 0xFFFFFF}));
}

TEST(IconMask, ImagesCutShortShowZeroBitsAndNoMask) {
  IconImage image = TrueColour(2, 2, 0x00FF00);
  image.andMask = {1, 1, 1, 1};
  std::vector<uint8_t> bytes = BuildIcon({image});
  // Drop the mask: the colours show.
  bytes.resize(bytes.size() - 8);
  EXPECT_EQ(Decode(bytes).pixels, std::vector<uint32_t>(4, 0x00FF00));
  // Drop the top row's pixels too: they read as zero bits, black.
  bytes.resize(bytes.size() - 8);
  EXPECT_EQ(Decode(bytes).pixels, (std::vector<uint32_t>{0, 0, 0x00FF00, 0x00FF00}));
  // The directory's byte count limits the image as well as the file does.
  image.sizeField = 40 + 8;
  EXPECT_EQ(Decode(BuildIcon({image})).pixels, (std::vector<uint32_t>{0, 0, 0x00FF00, 0x00FF00}));
}

TEST(IconImages, PngImagesArePassedOverAndAloneAreNotValid) {
  IconImage png;
  png.width = png.height = 256;
  png.rawData = test::PngStub(256, 256);
  const Picture p = Decode(BuildIcon({png, TrueColour(16, 16, 0x0000FF)}));
  EXPECT_EQ(p.width, 16);
  EXPECT_EQ(p.pixels[0], 0x0000FFu);
  ExpectNotValid(BuildIcon({png}));
}

TEST(IconDirectory, ImageDataOutsideTheFileOrInsideTheDirectoryIsNotValid) {
  for (uint32_t offset : {0u, 6u, 21u, 1000u, 0xFFFFFFFFu}) {
    IconImage image = TrueColour(1, 1, 0);
    image.offsetField = offset;
    ExpectNotValid(BuildIcon({image}));
  }
  // A second entry pointing nowhere spoils a good first one.
  IconImage bad = TrueColour(1, 1, 0);
  bad.offsetField = 5000;
  ExpectNotValid(BuildIcon({TrueColour(2, 2, 0), bad}));
}

TEST(IconDirectory, BrokenImageHeadersAreNotValid) {
  // Header cut, zero planes, an odd bit count, a doubled height of 1 (no rows),
  // an absurd width, and a colour table longer than the image.
  std::vector<IconImage> images;
  IconImage cut = TrueColour(1, 1, 0);
  cut.sizeField = 20;
  images.push_back(cut);
  IconImage planes = TrueColour(1, 1, 0);
  planes.dib.planes = 0;
  images.push_back(planes);
  IconImage junk;
  junk.rawData = std::vector<uint8_t>(40, 0xEE);
  images.push_back(junk);
  IconImage oneRow = TrueColour(1, 1, 0);
  oneRow.dib.heightField = 1;
  images.push_back(oneRow);
  IconImage wide = TrueColour(1, 1, 0);
  wide.dib.widthField = 0x7FFFFFFF;
  images.push_back(wide);
  IconImage table = TrueColour(1, 1, 0, 8);
  table.dib.palette = {0};
  table.dib.colorsUsed = 0x10000000;
  images.push_back(table);
  for (const IconImage& image : images) ExpectNotValid(BuildIcon({image}));
}

}  // namespace
}  // namespace tintaro
