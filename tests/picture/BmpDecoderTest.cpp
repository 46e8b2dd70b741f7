// The BMP decoder: file header rules, every bit depth, compression and header
// kind against known pixels, and hostile header fields.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "core/Errors.h"
#include "core/picture/PictureDecoders.h"
#include "support/BmpBuilder.h"

namespace tintaro {
namespace {

using test::BmpOptions;
using test::BuildBmp;
using test::DibHeaderKind;

Picture Decode(const std::vector<uint8_t>& bytes) {
  Picture p;
  DecodeBmp(bytes, p);
  return p;
}

template <typename E>
void ExpectFailure(const std::vector<uint8_t>& bytes, const char* message) {
  Picture p;
  try {
    DecodeBmp(bytes, p);
    ADD_FAILURE() << "decoded, expected " << message;
  } catch (const E& e) {
    EXPECT_STREQ(e.what(), message);
  } catch (const std::exception& e) {
    ADD_FAILURE() << "wrong failure kind: " << e.what();
  }
}

void ExpectNotValid(const std::vector<uint8_t>& bytes) { ExpectFailure<EInvalidGraphic>(bytes, kBitmapNotValid); }
void ExpectReadError(const std::vector<uint8_t>& bytes) { ExpectFailure<EReadError>(bytes, kStreamReadError); }

// Small deterministic noise so golden checks cover many byte patterns.
std::vector<uint32_t> Noise(size_t n, uint32_t seed, uint32_t mask) {
  std::vector<uint32_t> v(n);
  for (auto& x : v) {
    seed = seed * 1664525u + 1013904223u;
    x = (seed >> 8) & mask;
  }
  return v;
}

const std::vector<uint32_t> kFourColours = {0x000000, 0xFFFFFF, 0x0000FF, 0x123456};

TEST(BmpFileHeader, EmptyFileIsAnEmptyPicture) {
  Picture p;
  p.Reset(PictureKind::Icon, 3, 3);
  DecodeBmp({}, p);
  EXPECT_EQ(p.kind, PictureKind::Bitmap);
  EXPECT_EQ(p.width, 0);
  EXPECT_EQ(p.height, 0);
  EXPECT_TRUE(p.pixels.empty());
}

TEST(BmpFileHeader, FilesShorterThanTheFileHeaderAreReadErrors) {
  const std::vector<uint8_t> good = BuildBmp(1, 1, {0xFFFFFF});
  for (size_t n = 1; n < 14; ++n) ExpectReadError({good.begin(), good.begin() + n});
}

TEST(BmpFileHeader, WrongSignatureIsNotValid) {
  std::vector<uint8_t> bytes = BuildBmp(1, 1, {0xFFFFFF});
  bytes[0] = 'M';
  bytes[1] = 'B';
  ExpectNotValid(bytes);
  ExpectNotValid(std::vector<uint8_t>(14, 0));
  ExpectNotValid({'b', 'm', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
}

TEST(BmpFileHeader, PlaneCountOtherThanOneIsNotValid) {
  for (uint16_t planes : {0, 2, 0xFFFF}) {
    BmpOptions o;
    o.planes = planes;
    ExpectNotValid(BuildBmp(1, 1, {0}, o));
    o.header = DibHeaderKind::Core12;
    ExpectNotValid(BuildBmp(1, 1, {0}, o));
  }
}

TEST(BmpFileHeader, DibHeaderCutShortIsNotValid) {
  const std::vector<uint8_t> good = BuildBmp(2, 2, {1, 2, 3, 4});
  // From "BM" alone up to one byte short of the 40-byte header.
  for (size_t n = 14; n < 14 + 40; ++n) ExpectNotValid({good.begin(), good.begin() + n});
  BmpOptions v5;
  v5.header = DibHeaderKind::V5;
  const std::vector<uint8_t> big = BuildBmp(1, 1, {0}, v5);
  ExpectNotValid({big.begin(), big.begin() + 14 + 100});
  // A header that claims to run past the end of the file.
  std::vector<uint8_t> huge = good;
  huge[14] = huge[15] = huge[16] = huge[17] = 0xFF;
  ExpectNotValid(huge);
}

TEST(BmpFileHeader, UnknownHeaderSizesAreNotValid) {
  for (uint8_t size : {0, 4, 11, 13, 16, 39}) {
    std::vector<uint8_t> bytes = BuildBmp(2, 2, {1, 2, 3, 4});
    bytes[14] = size;
    ExpectNotValid(bytes);
  }
}

TEST(BmpTrueColour, TwentyFourBitBottomUpRowsWithPaddingDecode) {
  // Width 3 makes 9-byte rows padded to 12.
  const std::vector<uint32_t> px = {0x0000FF, 0x00FF00, 0xFF0000, 0x010203, 0xFFFFFF, 0x000000};
  const std::vector<uint8_t> bytes = BuildBmp(3, 2, px);
  ASSERT_EQ(bytes.size(), 14u + 40 + 24);
  // Stored bottom row first, as B, G, R: the first stored pixel is 0x010203.
  EXPECT_EQ(bytes[54], 0x01);
  EXPECT_EQ(bytes[56], 0x03);
  const Picture p = Decode(bytes);
  EXPECT_EQ(p.kind, PictureKind::Bitmap);
  ASSERT_EQ(p.width, 3);
  ASSERT_EQ(p.height, 2);
  EXPECT_EQ(p.pixels, px);
}

TEST(BmpTrueColour, WideRowsOfEveryLengthDecodeExactly) {
  // Lengths around the 16-pixel vector step, with rows both ways up.
  for (int width : {1, 2, 15, 16, 17, 31, 32, 33, 47, 100}) {
    for (bool topDown : {false, true}) {
      const auto px = Noise(static_cast<size_t>(width) * 3, width, 0xFFFFFF);
      BmpOptions o;
      o.topDown = topDown;
      EXPECT_EQ(Decode(BuildBmp(width, 3, px, o)).pixels, px) << width << (topDown ? " top-down" : "");
    }
  }
}

TEST(BmpTrueColour, ThirtyTwoBitIgnoresTheFourthByte) {
  const std::vector<uint32_t> px = {0xFF0000FF, 0x8000FF00, 0x00FF0000, 0x7F123456};
  BmpOptions o;
  o.bitsPerPixel = 32;
  EXPECT_EQ(Decode(BuildBmp(2, 2, px, o)).pixels,
            (std::vector<uint32_t>{0x0000FF, 0x00FF00, 0xFF0000, 0x123456}));
}

TEST(BmpTrueColour, SixteenBitWithoutMasksIsFiveFiveFive) {
  BmpOptions o;
  o.bitsPerPixel = 16;
  // Red 31, green 31, blue 31; pure red; blue 16; top bit set (ignored); green 1.
  const std::vector<uint32_t> words = {0x7FFF, 0x7C00, 0x0010, 0x8000, 0x0020, 0x0000};
  EXPECT_EQ(Decode(BuildBmp(3, 2, words, o)).pixels,
            (std::vector<uint32_t>{0xFFFFFF, 0x0000FF, 0x840000, 0x000000, 0x000800, 0x000000}));
}

TEST(BmpBitFields, SixteenBitMasksAfterAFortyByteHeader) {
  BmpOptions o;
  o.bitsPerPixel = 16;
  o.compression = test::kBitfields;
  o.masks = {0xF800, 0x07E0, 0x001F, 0};  // 5-6-5
  const std::vector<uint32_t> words = {0xFFFF, 0xF800, 0x07E0, 0x0020};
  EXPECT_EQ(Decode(BuildBmp(4, 1, words, o)).pixels,
            (std::vector<uint32_t>{0xFFFFFF, 0x0000FF, 0x00FF00, 0x000400}));
}

TEST(BmpBitFields, MasksInsideLargerHeadersAreUsedForEveryKind) {
  for (DibHeaderKind kind : {DibHeaderKind::Info52, DibHeaderKind::Info56, DibHeaderKind::V4, DibHeaderKind::V5}) {
    BmpOptions o;
    o.header = kind;
    o.bitsPerPixel = 32;
    o.compression = test::kBitfields;
    // Unusual order: red in the top byte, blue in the low byte.
    o.masks = {0xFF000000, 0x00FF0000, 0x0000FF00, 0x000000FF};
    const std::vector<uint32_t> words = {0x11223344, 0xFF000000};
    const std::vector<uint8_t> bytes = BuildBmp(2, 1, words, o);
    EXPECT_EQ(Decode(bytes).pixels, (std::vector<uint32_t>{0x332211, 0x0000FF})) << bytes[14];
  }
}

TEST(BmpBitFields, AlphaBitFieldsCountFourMasksBeforeTheData) {
  // The pixel offset says nothing, so the masks' length places the pixels.
  for (DibHeaderKind kind : {DibHeaderKind::Info40, DibHeaderKind::Info52, DibHeaderKind::V5}) {
    BmpOptions o;
    o.header = kind;
    o.bitsPerPixel = 32;
    o.compression = test::kAlphaBitfields;
    o.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    o.offBits = 0;
    EXPECT_EQ(Decode(BuildBmp(2, 1, {0x80332211, 0x00ABCDEF}, o)).pixels,
              (std::vector<uint32_t>{0x112233, 0xEFCDAB}));
  }
}

TEST(BmpBitFields, WideNarrowAndZeroMasksScaleToEightBits) {
  BmpOptions o;
  o.bitsPerPixel = 32;
  o.compression = test::kBitfields;
  // 10-bit red, 1-bit green, no blue at all.
  o.masks = {0x3FF00000, 0x00000001, 0, 0};
  const std::vector<uint32_t> words = {0x3FF00001, 0x20000000, 0x000FFFFE, 0xFFFFFFFF};
  // 0x200 of 0x3FF rounds to 128; the blue bits have no mask and give 0.
  EXPECT_EQ(Decode(BuildBmp(4, 1, words, o)).pixels,
            (std::vector<uint32_t>{0x00FFFF, 0x000080, 0x000000, 0x00FFFF}));
  o.masks = {0, 0, 0, 0};
  EXPECT_EQ(Decode(BuildBmp(4, 1, words, o)).pixels, std::vector<uint32_t>(4, 0));
}

TEST(BmpBitFields, MasksCutShortByTheFileAreNotValid) {
  BmpOptions o;
  o.bitsPerPixel = 16;
  o.compression = test::kBitfields;
  o.masks = {0xF800, 0x07E0, 0x001F, 0};
  o.pixelData = std::vector<uint8_t>{};
  const std::vector<uint8_t> bytes = BuildBmp(1, 1, {}, o);
  ASSERT_EQ(bytes.size(), 14u + 40 + 12);
  ExpectNotValid({bytes.begin(), bytes.end() - 1});
}

TEST(BmpPalette, EightFourAndOneBitIndicesReadTheColourTable) {
  BmpOptions o;
  o.palette = kFourColours;
  for (int bits : {8, 4, 1}) {
    o.bitsPerPixel = bits;
    // Widths that leave part of a byte and of a 4-byte row unused.
    const int width = 11;
    const auto indices = Noise(width * 3, bits, bits == 1 ? 1 : 3);
    std::vector<uint32_t> expected;
    for (uint32_t i : indices) expected.push_back(kFourColours[i]);
    EXPECT_EQ(Decode(BuildBmp(width, 3, indices, o)).pixels, expected) << bits;
  }
}

TEST(BmpPalette, ZeroColourCountMeansTheFullTable) {
  BmpOptions o;
  o.bitsPerPixel = 4;
  o.palette = Noise(16, 7, 0xFFFFFF);
  o.colorsUsed = 0;
  const std::vector<uint32_t> indices = {15, 0, 9, 3};
  const Picture p = Decode(BuildBmp(4, 1, indices, o));
  EXPECT_EQ(p.pixels, (std::vector<uint32_t>{o.palette[15], o.palette[0], o.palette[9], o.palette[3]}));
  // The full table of 16 entries must be there: 15 of them is a cut table.
  o.palette.resize(15);
  o.pixelData = std::vector<uint8_t>{};
  ExpectReadError(BuildBmp(4, 1, {}, o));
}

TEST(BmpPalette, IndicesPastAShortTableReadBlack) {
  BmpOptions o;
  o.bitsPerPixel = 8;
  o.palette = {0x0000FF, 0xFFFFFF};
  EXPECT_EQ(Decode(BuildBmp(4, 1, {0, 1, 2, 255}, o)).pixels,
            (std::vector<uint32_t>{0x0000FF, 0xFFFFFF, 0, 0}));
}

TEST(BmpPalette, TablesLongerThanTheBitDepthAreSkippedOver) {
  BmpOptions o;
  o.bitsPerPixel = 1;
  o.palette = {0xFFFFFF, 0x0000FF, 0x00FF00, 0xFF0000};  // four entries for a 1-bit picture
  o.offBits = 0;  // the pixels follow the whole declared table
  EXPECT_EQ(Decode(BuildBmp(2, 1, {1, 0}, o)).pixels, (std::vector<uint32_t>{0x0000FF, 0xFFFFFF}));
}

TEST(BmpPalette, TableCutShortByTheFileIsAReadError) {
  BmpOptions o;
  o.bitsPerPixel = 8;
  o.palette = kFourColours;
  o.pixelData = std::vector<uint8_t>{};
  const std::vector<uint8_t> bytes = BuildBmp(1, 1, {}, o);
  ExpectReadError({bytes.begin(), bytes.end() - 1});
  // Counts far beyond the file, including ones whose byte size needs 64 bits.
  for (uint32_t count : {5u, 0x40000000u, 0xFFFFFFFFu}) {
    o.colorsUsed = count;
    ExpectReadError(BuildBmp(1, 1, {}, o));
  }
  // A true-colour picture may carry a table too, and it must be there.
  BmpOptions t;
  t.colorsUsed = 1000;
  ExpectReadError(BuildBmp(1, 1, {0xFFFFFF}, t));
}

TEST(BmpCoreHeader, CoreHeadersUseThreeByteTableEntries) {
  BmpOptions o;
  o.header = DibHeaderKind::Core12;
  o.bitsPerPixel = 8;
  o.palette = Noise(256, 3, 0xFFFFFF);
  const std::vector<uint32_t> indices = {0, 255, 128, 7, 7, 1};
  std::vector<uint32_t> expected;
  for (uint32_t i : indices) expected.push_back(o.palette[i]);
  EXPECT_EQ(Decode(BuildBmp(3, 2, indices, o)).pixels, expected);

  BmpOptions t;
  t.header = DibHeaderKind::Core12;
  const auto px = Noise(35, 9, 0xFFFFFF);
  EXPECT_EQ(Decode(BuildBmp(7, 5, px, t)).pixels, px);
}

TEST(BmpCoreHeader, AShortCoreTableEndsWherethePixelsBegin) {
  BmpOptions o;
  o.header = DibHeaderKind::Core12;
  o.bitsPerPixel = 4;
  o.palette = {0x0000FF, 0x00FF00, 0xFF0000};  // 3 of 16 entries, said only by the pixel offset
  EXPECT_EQ(Decode(BuildBmp(4, 1, {2, 1, 0, 5}, o)).pixels,
            (std::vector<uint32_t>{0xFF0000, 0x00FF00, 0x0000FF, 0}));
}

TEST(BmpPixelData, RowsCutShortAreZeroBitsBelowTheData) {
  // 24 bits: 2 x 3, stored bottom row first; keep the bottom row and one
  // byte of the next, which is the blue byte of its first pixel.
  const std::vector<uint32_t> px = {0x111111, 0x222222, 0x333333, 0x444444, 0x0000FF, 0xABCDEF};
  std::vector<uint8_t> bytes = BuildBmp(2, 3, px);
  bytes.resize(14 + 40 + 8 + 1);
  EXPECT_EQ(Decode(bytes).pixels, (std::vector<uint32_t>{0, 0, 0x330000, 0, 0x0000FF, 0xABCDEF}));
  // Palettised: the missing rows take entry 0 of the table, not black.
  BmpOptions o;
  o.bitsPerPixel = 8;
  o.palette = {0x00FF00, 0x0000FF};
  o.topDown = true;
  bytes = BuildBmp(4, 2, {1, 1, 1, 1, 1, 1, 1, 1}, o);
  bytes.resize(bytes.size() - 6);
  EXPECT_EQ(Decode(bytes).pixels, (std::vector<uint32_t>{0x0000FF, 0x0000FF, 0x00FF00, 0x00FF00, 0x00FF00,
                                                         0x00FF00, 0x00FF00, 0x00FF00}));
}

TEST(BmpPixelData, StatedPixelOffsetIsHonouredOnlyWhenItMakesSense) {
  const std::vector<uint32_t> px = {0x0000FF, 0x00FF00};
  BmpOptions o;
  o.gapBeforePixels = 6;
  EXPECT_EQ(Decode(BuildBmp(2, 1, px, o)).pixels, px);
  // 0, inside the header, or past the end: the pixels follow the header.
  for (uint32_t off : {0u, 20u, 100000u}) {
    BmpOptions n;
    n.offBits = off;
    EXPECT_EQ(Decode(BuildBmp(2, 1, px, n)).pixels, px) << off;
  }
  // Exactly at the end of the file: no pixel data at all.
  std::vector<uint8_t> bytes = BuildBmp(2, 1, px);
  bytes[10] = static_cast<uint8_t>(bytes.size());
  EXPECT_EQ(Decode(bytes).pixels, (std::vector<uint32_t>{0, 0}));
}

std::vector<uint8_t> Rle(DibHeaderKind kind, uint32_t compression, int width, int height,
                         std::vector<uint8_t> stream, std::vector<uint32_t> palette) {
  BmpOptions o;
  o.header = kind;
  o.bitsPerPixel = compression == test::kRle8 ? 8 : 4;
  o.compression = compression;
  o.palette = std::move(palette);
  o.pixelData = std::move(stream);
  return BuildBmp(width, height, {}, o);
}

const std::vector<uint32_t> kRlePalette = {0x000001, 0x000002, 0x000003, 0x000004, 0x000005};

TEST(BmpRle8, RunsLiteralsDeltaAndEscapesPaintTheirPixels) {
  // 6 x 3; stored rows are bottom first.
  const std::vector<uint8_t> stream = {
      3, 1,  2, 2,  0, 0,              // bottom row: 1 1 1 2 2 | 0
      0, 3, 4, 3, 2,  0,               // literal of 3, padded to an even length
      0, 2, 2, 0,                      // delta: two pixels right, same row
      1, 4,  0, 0,                     // middle row: 4 3 2 0 0 4
      0, 2, 1, 0,                      // top row: delta of one pixel
      0, 4, 1, 2, 3, 4,                // literal of 4: top row 0 1 2 3 4 0
      0, 1,                            // end of bitmap
      9, 1};                           // never read
  const Picture p = Decode(Rle(DibHeaderKind::Info40, test::kRle8, 6, 3, stream, kRlePalette));
  const uint32_t a = 1, b = 2, c = 3, d = 4, e = 5;
  EXPECT_EQ(p.pixels, (std::vector<uint32_t>{a, b, c, d, e, a,  //
                                             e, d, c, a, a, e,  //
                                             b, b, b, c, c, a}));
  // A delta that moves up a row keeps its column.
  const Picture up = Decode(Rle(DibHeaderKind::Info40, test::kRle8, 3, 2, {1, 2, 0, 2, 1, 1, 1, 3}, kRlePalette));
  EXPECT_EQ(up.pixels, (std::vector<uint32_t>{a, a, d, c, a, a}));
}

TEST(BmpRle8, RunsAndLiteralsPastTheRowAreClippedNotWrapped) {
  const std::vector<uint8_t> stream = {
      255, 2,  200, 3,                 // far past a 4-pixel row
      0, 5, 4, 4, 4, 4, 4, 0,          // literal past the row too
      0, 0,                            // next row
      2, 1,  0, 2, 200, 0,             // delta right out of the row
      1, 3,  0, 0};
  const Picture p = Decode(Rle(DibHeaderKind::Info40, test::kRle8, 4, 2, stream, kRlePalette));
  EXPECT_EQ(p.pixels, (std::vector<uint32_t>{2, 2, 1, 1, 3, 3, 3, 3}));
}

TEST(BmpRle8, StreamsThatRunPastThePictureOrEndEarlyStaySafe) {
  // Delta far below the picture, more rows than there are, and a stream cut
  // inside a literal, a delta and a run.
  const std::vector<std::vector<uint8_t>> streams = {
      {0, 2, 0, 255, 5, 3},
      {1, 2, 0, 0, 1, 2, 0, 0, 1, 2, 0, 0, 1, 2, 0, 0, 1, 2},
      {0, 8, 2, 3},
      {0, 2, 1},
      {4},
      {}};
  for (const auto& s : streams) {
    const Picture p = Decode(Rle(DibHeaderKind::Info40, test::kRle8, 3, 2, s, kRlePalette));
    ASSERT_EQ(p.pixels.size(), 6u);
  }
  // The literal cut by the end of the data paints what it has.
  const Picture cut = Decode(Rle(DibHeaderKind::Info40, test::kRle8, 3, 2, {0, 8, 2, 3}, kRlePalette));
  EXPECT_EQ(cut.pixels, (std::vector<uint32_t>{1, 1, 1, 3, 4, 1}));
  // Two rows of a 3-row picture: the untouched row is entry 0.
  const Picture rows = Decode(Rle(DibHeaderKind::Info40, test::kRle8, 2, 3, {2, 4, 0, 0, 2, 3, 0, 0}, kRlePalette));
  EXPECT_EQ(rows.pixels, (std::vector<uint32_t>{1, 1, 4, 4, 5, 5}));
}

TEST(BmpRle4, RunsAlternateNibblesAndLiteralsPadToWords) {
  const std::vector<uint8_t> stream = {
      5, 0x12,                       // 1 2 1 2 1
      0, 3, 0x34, 0x20,              // literal 3 4 2: two bytes, already even
      0, 0,
      0, 5, 0x01, 0x23, 0x40, 0,     // literal of five: three bytes padded to four
      3, 0x44,  0, 0,
      0, 1};
  const Picture p = Decode(Rle(DibHeaderKind::Info40, test::kRle4, 8, 2, stream, kRlePalette));
  EXPECT_EQ(p.pixels, (std::vector<uint32_t>{1, 2, 3, 4, 5, 5, 5, 5,  //
                                             2, 3, 2, 3, 2, 4, 5, 3}));
}

TEST(BmpRle, EncoderOutputRoundTripsForBothDepths) {
  const auto indices = Noise(40 * 9, 5, 3);
  std::vector<uint32_t> expected;
  for (uint32_t i : indices) expected.push_back(kFourColours[i]);
  EXPECT_EQ(Decode(Rle(DibHeaderKind::Info40, test::kRle8, 40, 9, test::EncodeRle8(40, 9, indices), kFourColours)).pixels,
            expected);
  EXPECT_EQ(Decode(Rle(DibHeaderKind::V5, test::kRle4, 40, 9, test::EncodeRle4(40, 9, indices), kFourColours)).pixels,
            expected);
}

TEST(BmpFields, UnsupportedDepthsAndCompressionsAreNotValid) {
  struct Case { int bits; uint32_t compression; };
  for (Case c : {Case{0, 0}, Case{2, 0}, Case{64, 0}, Case{24, 1}, Case{8, 2}, Case{4, 1}, Case{24, 3},
                 Case{8, 3}, Case{24, 4}, Case{24, 5}, Case{32, 7}, Case{32, 0x80000000u}}) {
    BmpOptions o;
    o.bitsPerPixel = c.bits;
    o.compression = c.compression;
    o.pixelData = std::vector<uint8_t>(64, 0);
    o.palette = kFourColours;
    ExpectNotValid(BuildBmp(2, 2, {}, o));
  }
}

TEST(BmpFields, ZeroNegativeAndAbsurdSizesAreNotValid) {
  struct Case { int32_t width, height; };
  for (Case c : {Case{0, 1}, Case{1, 0}, Case{-1, 1}, Case{INT32_MIN, 1}, Case{1, INT32_MIN}, Case{INT32_MAX, 1},
                 Case{1, INT32_MAX}, Case{40000, 1}, Case{1, -40000}, Case{20000, 20000}, Case{INT32_MAX, INT32_MAX}}) {
    for (int bits : {1, 24, 32}) {
      BmpOptions o;
      o.bitsPerPixel = bits;
      o.widthField = c.width;
      o.heightField = c.height;
      o.palette = {0, 0};
      o.pixelData = std::vector<uint8_t>(16, 0);
      ExpectNotValid(BuildBmp(1, 1, {}, o));
    }
  }
  // The core header's sizes are unsigned 16-bit; zero is refused there too.
  BmpOptions core;
  core.header = DibHeaderKind::Core12;
  core.widthField = 0;
  ExpectNotValid(BuildBmp(1, 1, {0}, core));
}

TEST(BmpFields, LargestTopDownHeightInAllowedRangeDecodes) {
  // A tall, thin top-down picture near the side limit, with no pixel data:
  // every row is zero bits.
  BmpOptions o;
  o.heightField = -32768;
  o.pixelData = std::vector<uint8_t>{0x00, 0x00, 0xFF, 0};
  const Picture p = Decode(BuildBmp(1, 1, {}, o));
  ASSERT_EQ(p.height, 32768);
  EXPECT_EQ(p.pixels[0], 0x0000FFu);
  EXPECT_EQ(p.pixels[1], 0u);
  EXPECT_EQ(p.pixels[32767], 0u);
}

TEST(BmpReuse, DecodingIntoAUsedPictureReplacesItAndKeepsItsBuffer) {
  Picture p;
  DecodeBmp(BuildBmp(64, 64, std::vector<uint32_t>(64 * 64, 0x123456)), p);
  const uint32_t* buffer = p.pixels.data();
  const auto px = Noise(6, 1, 0xFFFFFF);
  DecodeBmp(BuildBmp(3, 2, px), p);
  EXPECT_EQ(p.width, 3);
  EXPECT_EQ(p.height, 2);
  EXPECT_EQ(p.pixels, px);
  EXPECT_EQ(p.pixels.data(), buffer);
}

}  // namespace
}  // namespace tintaro
