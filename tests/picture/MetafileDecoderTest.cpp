// The metafile decoder: which headers it accepts and the size it gives the
// (white) picture.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/Errors.h"
#include "core/picture/PaintSurface.h"
#include "core/picture/PictureDecoders.h"
#include "core/picture/PictureHeaderSize.h"
#include "support/MetafileBuilder.h"

namespace tintaro {
namespace {

using test::BuildEmf;
using test::BuildWmf;

// Decodes and returns "WxH", or the failure's message.
std::string Outcome(const std::vector<uint8_t>& file, bool enhanced = false) {
  Picture picture;
  try {
    DecodeMetafile(file, enhanced, picture);
  } catch (const EInvalidGraphic& e) {
    return e.what();
  }
  EXPECT_EQ(picture.kind, PictureKind::Metafile);
  EXPECT_EQ(picture.pixels.size(), static_cast<size_t>(picture.width) * picture.height);
  for (uint32_t p : picture.pixels) {
    if (p != kWhite) {
      ADD_FAILURE() << "a metafile pixel is not white";
      break;
    }
  }
  return std::to_string(picture.width) + "x" + std::to_string(picture.height);
}

using Ext = std::pair<int16_t, int16_t>;  // width, height

TEST(MetafileDecoder, PlaceableWmfTakesItsBoundingBoxAt96Dpi) {
  EXPECT_EQ(Outcome(BuildWmf()), "96x48");  // 1 x 0.5 inch at 1440 units per inch
  EXPECT_EQ(Outcome(BuildWmf({.left = 100, .top = 50, .right = 2640, .bottom = 304, .unitsPerInch = 2540})),
            "96x10");
  // A box drawn right to left or bottom to top has the same size.
  EXPECT_EQ(Outcome(BuildWmf({.left = 1440, .top = 720, .right = 0, .bottom = 0})), "96x48");
  EXPECT_EQ(Outcome(BuildWmf({.left = -720, .top = -1440, .right = 720, .bottom = 0})), "96x96");
  // Rounded to the nearest pixel: 100 twips are 6.67 pixels.
  EXPECT_EQ(Outcome(BuildWmf({.right = 100, .bottom = 1})), "7x0");
  // The window extent of a placeable file does not count.
  EXPECT_EQ(Outcome(BuildWmf({.windowExt = Ext{500, 400}})), "96x48");
}

TEST(MetafileDecoder, PlaceableHeaderMustBeIntact) {
  EXPECT_EQ(Outcome(BuildWmf({.breakChecksum = true})), kMetafileNotValid);
  EXPECT_EQ(Outcome(BuildWmf({.unitsPerInch = 0})), kMetafileNotValid);
  std::vector<uint8_t> file = BuildWmf();
  file.resize(21);  // inside the placeable header
  EXPECT_EQ(Outcome(file), kMetafileNotValid);
  file = BuildWmf();
  file.resize(22 + 17);  // inside the standard header after it
  EXPECT_EQ(Outcome(file), kMetafileNotValid);
  file.resize(22 + 18);  // the headers whole, no records: still a metafile
  EXPECT_EQ(Outcome(file), "96x48");
}

TEST(MetafileDecoder, PlainWmfTakesItsWindowExtentOrIsEmpty) {
  EXPECT_EQ(Outcome(BuildWmf({.placeable = false, .windowExt = Ext{300, -200}})), "300x200");
  EXPECT_EQ(Outcome(BuildWmf({.placeable = false})), "0x0");
  // Records without an end record, then the file ends: no extent found.
  EXPECT_EQ(Outcome(BuildWmf({.placeable = false, .endRecord = false})), "0x0");
  // A record whose size runs past the file stops the scan before the extent.
  std::vector<uint8_t> file = BuildWmf({.placeable = false, .windowExt = Ext{30, 20}});
  EXPECT_EQ(Outcome(file), "30x20");
  file[18] = 0xFF, file[19] = 0xFF;  // the first record's size in words
  EXPECT_EQ(Outcome(file), "0x0");
  // A record claiming fewer than three words (its own size and function) too.
  file[18] = 2, file[19] = 0;
  EXPECT_EQ(Outcome(file), "0x0");
}

TEST(MetafileDecoder, WmfHeaderFieldsAreChecked) {
  for (bool placeable : {true, false}) {
    SCOPED_TRACE(placeable ? "placeable" : "plain");
    EXPECT_EQ(Outcome(BuildWmf({.placeable = placeable, .type = 2, .version = 0x0100})),
              placeable ? "96x48" : "0x0");
    EXPECT_EQ(Outcome(BuildWmf({.placeable = placeable, .type = 0})), kMetafileNotValid);
    EXPECT_EQ(Outcome(BuildWmf({.placeable = placeable, .type = 3})), kMetafileNotValid);
    EXPECT_EQ(Outcome(BuildWmf({.placeable = placeable, .headerWords = 8})), kMetafileNotValid);
    EXPECT_EQ(Outcome(BuildWmf({.placeable = placeable, .version = 0x0200})), kMetafileNotValid);
  }
  EXPECT_EQ(Outcome({}), kMetafileNotValid);
  const std::string text = "This is not a metafile at all.";
  EXPECT_EQ(Outcome({text.begin(), text.end()}), kMetafileNotValid);
  std::vector<uint8_t> plain = BuildWmf({.placeable = false});
  plain.resize(17);
  EXPECT_EQ(Outcome(plain), kMetafileNotValid);
}

TEST(MetafileDecoder, EmfTakesItsFrameAt96DpiOrElseItsBounds) {
  EXPECT_EQ(Outcome(BuildEmf(), true), "96x48");
  // 2 inches by 0.05 inch (4.8 pixels), away from the origin.
  EXPECT_EQ(Outcome(BuildEmf({.frame = {1000, -500, 6080, -373}}), true), "192x5");
  // An empty or reversed frame falls back to the bounds (inclusive pixels).
  EXPECT_EQ(Outcome(BuildEmf({.frame = {1000, 0, 1000, 500}}), true), "100x50");
  EXPECT_EQ(Outcome(BuildEmf({.frame = {1000, 0, 990, 500}}), true), "100x50");
  // Nothing usable at all: an empty picture.
  EXPECT_EQ(Outcome(BuildEmf({.bounds = {5, 0, 4, 49}, .frame = {0, 0, 0, 0}}), true), "0x0");
}

TEST(MetafileDecoder, EmfHeaderMustBeConsistentWithTheFile) {
  EXPECT_EQ(Outcome(BuildEmf({.signature = 0x464D4521}), true), kMetafileNotValid);
  EXPECT_EQ(Outcome(BuildEmf({.type = 2}), true), kMetafileNotValid);
  EXPECT_EQ(Outcome(BuildEmf({.headerSize = 84}), true), kMetafileNotValid);
  EXPECT_EQ(Outcome(BuildEmf({.headerSize = 90}), true), kMetafileNotValid);  // not whole words
  EXPECT_EQ(Outcome(BuildEmf({.headerSize = 88}), true), "96x48");
  const uint32_t size = static_cast<uint32_t>(BuildEmf().size());
  EXPECT_EQ(Outcome(BuildEmf({.totalSize = size + 4}), true), kMetafileNotValid);
  EXPECT_EQ(Outcome(BuildEmf({.totalSize = 100}), true), kMetafileNotValid);  // less than its header
  // Trailing bytes past the stated size are tolerated.
  EXPECT_EQ(Outcome(BuildEmf({.totalSize = size - 20}), true), "96x48");
  std::vector<uint8_t> cut = BuildEmf();
  cut.resize(100);  // the header record runs past the end
  EXPECT_EQ(Outcome(cut, true), kMetafileNotValid);
  cut.resize(87);
  EXPECT_EQ(Outcome(cut, true), kMetafileNotValid);
}

TEST(MetafileDecoder, ContentDecidesTheFormatWhateverTheExtension) {
  EXPECT_EQ(Outcome(BuildEmf(), false), "96x48");
  EXPECT_EQ(Outcome(BuildWmf(), true), "96x48");
}

TEST(MetafileDecoder, SizesBeyondThePictureCapAreRefused) {
  // 96 units per inch make units pixels.
  EXPECT_EQ(Outcome(BuildWmf({.right = 32767, .bottom = 8, .unitsPerInch = 96})), "32767x8");
  const std::vector<uint8_t> wide = BuildWmf({.right = 16385, .bottom = 8, .unitsPerInch = 48});
  EXPECT_EQ(MetafileDeclaredSize(wide).width, 32770);
  EXPECT_EQ(Outcome(wide), kMetafileNotValid);
  // Each side fits but the area does not (the size is read without decoding).
  const std::vector<uint8_t> square = BuildEmf({.frame = {0, 0, 2540 * 250, 2540 * 250}});
  EXPECT_EQ(MetafileDeclaredSize(square).height, 24000);
  EXPECT_EQ(Outcome(square, true), kMetafileNotValid);
  EXPECT_EQ(Outcome(BuildEmf({.frame = {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}}), true),
            kMetafileNotValid);
  EXPECT_THROW(MetafileDeclaredSize(std::vector<uint8_t>{1, 2, 3}), EInvalidGraphic);
}

TEST(MetafileDecoder, PaintSurfaceShowsMetafilesButRefusesToReadOrFillThem) {
  const auto path = [](const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            ("tintaro-wmf-" + std::to_string(::getpid()) + "-" + name))
        .string();
  };
  const auto write = [](const std::string& file, const std::vector<uint8_t>& bytes) {
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  };
  const std::string good = path("pic.WMF"), bad = path("bad.emf");
  write(good, BuildWmf());
  write(bad, BuildEmf({.signature = 0}));

  PaintSurface surface;
  surface.LoadPicture(good);
  EXPECT_EQ(surface.Width(), 96);
  EXPECT_EQ(surface.ControlHeight(), 48);
  EXPECT_EQ(surface.CurrentPicture().kind, PictureKind::Metafile);
  try {
    surface.FillToBlack(0, 0, kRed);
    ADD_FAILURE() << "a metafile was filled";
  } catch (const EInvalidOperation& e) {
    EXPECT_STREQ(e.what(), "Can only modify an image if it contains a bitmap");
  }
  EXPECT_THROW(surface.PixelAt(0, 0), EInvalidOperation);
  EXPECT_EQ(surface.CurrentPicture().pixels[0], kWhite);

  try {
    surface.LoadPicture(bad);
    ADD_FAILURE() << "a broken EMF loaded";
  } catch (const EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), kMetafileNotValid);
  }
  EXPECT_EQ(surface.Width(), 96);
  EXPECT_EQ(surface.CurrentPicture().kind, PictureKind::Metafile);
  std::filesystem::remove(good);
  std::filesystem::remove(bad);
}

}  // namespace
}  // namespace tintaro
