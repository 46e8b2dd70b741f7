// The metafile decoder: which headers it accepts and the size it gives the
// (white) picture.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/Errors.h"
#include "core/PaintSurface.h"
#include "core/PictureDecoders.h"
#include "core/PictureHeaderSize.h"
#include "support/MetafileBuilder.h"

namespace tintaro {
namespace {

using test::BuildEmf;
using test::BuildWmf;
using test::EmfOptions;
using test::WmfOptions;

// The builders with some options changed from their defaults.
template <class Change>
std::vector<uint8_t> Wmf(Change change) {
  WmfOptions options;
  change(options);
  return BuildWmf(options);
}
template <class Change>
std::vector<uint8_t> Emf(Change change) {
  EmfOptions options;
  change(options);
  return BuildEmf(options);
}

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

TEST(MetafileDecoder, PlaceableWmfTakesItsBoundingBoxAt96Dpi) {
  EXPECT_EQ(Outcome(BuildWmf()), "96x48");  // 1 x 0.5 inch at 1440 units per inch
  EXPECT_EQ(Outcome(Wmf([&](WmfOptions& o) {
              o.left = 100;
              o.top = 50;
              o.right = 100 + 2540;
              o.bottom = 50 + 254;
              o.unitsPerInch = 2540;
            })),
            "96x10");
  // A box drawn right to left or bottom to top has the same size.
  EXPECT_EQ(Outcome(Wmf([&](WmfOptions& o) {
              o.left = 1440;
              o.top = 720;
              o.right = 0;
              o.bottom = 0;
            })),
            "96x48");
  EXPECT_EQ(Outcome(Wmf([&](WmfOptions& o) {
              o.left = -720;
              o.top = -1440;
              o.right = 720;
              o.bottom = 0;
            })),
            "96x96");
  // Rounded to the nearest pixel: 100 twips are 6.67 pixels.
  EXPECT_EQ(Outcome(Wmf([&](WmfOptions& o) {
              o.right = 100;
              o.bottom = 1;
            })),
            "7x0");
  // The window extent of a placeable file does not count.
  EXPECT_EQ(Outcome(Wmf([&](WmfOptions& o) {
              o.windowExt = std::pair<int16_t, int16_t>{500, 400};
            })),
            "96x48");
}

TEST(MetafileDecoder, PlaceableHeaderMustBeIntact) {
  EXPECT_EQ(Outcome(Wmf([&](WmfOptions& o) { o.breakChecksum = true; })), kMetafileNotValid);
  EXPECT_EQ(Outcome(Wmf([&](WmfOptions& o) { o.unitsPerInch = 0; })), kMetafileNotValid);
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
  EXPECT_EQ(Outcome(Wmf([&](WmfOptions& o) {
              o.placeable = false;
              o.windowExt = std::pair<int16_t, int16_t>{300, -200};
            })),
            "300x200");
  EXPECT_EQ(Outcome(Wmf([&](WmfOptions& o) { o.placeable = false; })), "0x0");
  // Records without an end record, then the file ends: no extent found.
  EXPECT_EQ(Outcome(Wmf([&](WmfOptions& o) {
              o.placeable = false;
              o.endRecord = false;
            })),
            "0x0");
  // A record whose size runs past the file stops the scan before the extent.
  std::vector<uint8_t> file = Wmf([&](WmfOptions& o) {
    o.placeable = false;
    o.windowExt = std::pair<int16_t, int16_t>{30, 20};
  });
  file[18] = 0xFF, file[19] = 0xFF;  // the first record's size in words
  EXPECT_EQ(Outcome(file), "0x0");
  // A record claiming fewer than three words (its own size and function) too.
  file[18] = 2, file[19] = 0;
  EXPECT_EQ(Outcome(file), "0x0");
}

TEST(MetafileDecoder, WmfHeaderFieldsAreChecked) {
  for (bool placeable : {true, false}) {
    SCOPED_TRACE(placeable ? "placeable" : "plain");
    EXPECT_EQ(Outcome(Wmf([&](WmfOptions& o) {
                o.placeable = placeable;
                o.type = 2;
                o.version = 0x0100;
              })),
              placeable ? "96x48" : "0x0");
    EXPECT_EQ(Outcome(Wmf([&](WmfOptions& o) {
                o.placeable = placeable;
                o.type = 0;
              })),
              kMetafileNotValid);
    EXPECT_EQ(Outcome(Wmf([&](WmfOptions& o) {
                o.placeable = placeable;
                o.type = 3;
              })),
              kMetafileNotValid);
    EXPECT_EQ(Outcome(Wmf([&](WmfOptions& o) {
                o.placeable = placeable;
                o.headerWords = 8;
              })),
              kMetafileNotValid);
    EXPECT_EQ(Outcome(Wmf([&](WmfOptions& o) {
                o.placeable = placeable;
                o.version = 0x0200;
              })),
              kMetafileNotValid);
  }
  EXPECT_EQ(Outcome({}), kMetafileNotValid);
  const std::string text = "This is not a metafile at all.";
  EXPECT_EQ(Outcome({text.begin(), text.end()}), kMetafileNotValid);
  std::vector<uint8_t> plain = Wmf([&](WmfOptions& o) { o.placeable = false; });
  plain.resize(17);
  EXPECT_EQ(Outcome(plain), kMetafileNotValid);
}

TEST(MetafileDecoder, EmfTakesItsFrameAt96DpiOrElseItsBounds) {
  EXPECT_EQ(Outcome(BuildEmf(), true), "96x48");
  EmfOptions options;
  options.frame[0] = 1000, options.frame[2] = 1000 + 5080;  // 2 inches
  options.frame[1] = -500, options.frame[3] = -500 + 127;   // 0.05 inch: 4.8 pixels
  EXPECT_EQ(Outcome(BuildEmf(options), true), "192x5");
  // An empty or reversed frame falls back to the bounds (inclusive pixels).
  options.frame[2] = options.frame[0];
  EXPECT_EQ(Outcome(BuildEmf(options), true), "100x50");
  options.frame[2] = options.frame[0] - 10;
  EXPECT_EQ(Outcome(BuildEmf(options), true), "100x50");
  // Nothing usable at all: an empty picture.
  options.bounds[2] = options.bounds[0] - 1;
  EXPECT_EQ(Outcome(BuildEmf(options), true), "0x0");
}

TEST(MetafileDecoder, EmfHeaderMustBeConsistentWithTheFile) {
  EXPECT_EQ(Outcome(Emf([&](EmfOptions& o) { o.signature = 0x464D4521; }), true), kMetafileNotValid);
  EXPECT_EQ(Outcome(Emf([&](EmfOptions& o) { o.type = 2; }), true), kMetafileNotValid);
  EXPECT_EQ(Outcome(Emf([&](EmfOptions& o) { o.headerSize = 84; }), true), kMetafileNotValid);
  EXPECT_EQ(Outcome(Emf([&](EmfOptions& o) { o.headerSize = 90; }), true),
            kMetafileNotValid);  // not whole 32-bit words
  EXPECT_EQ(Outcome(Emf([&](EmfOptions& o) { o.headerSize = 88; }), true), "96x48");
  const std::vector<uint8_t> good = BuildEmf();
  EXPECT_EQ(Outcome(Emf([&](EmfOptions& o) { o.totalSize = static_cast<uint32_t>(good.size() + 4); }), true),
            kMetafileNotValid);
  EXPECT_EQ(Outcome(Emf([&](EmfOptions& o) { o.totalSize = 100; }), true),
            kMetafileNotValid);  // less than its header
  // Trailing bytes past the stated size are tolerated.
  EXPECT_EQ(Outcome(Emf([&](EmfOptions& o) { o.totalSize = static_cast<uint32_t>(good.size() - 20); }), true),
            "96x48");
  std::vector<uint8_t> cut = good;
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
  EXPECT_EQ(Outcome(Wmf([&](WmfOptions& o) {
              o.right = 32767;
              o.bottom = 8;
              o.unitsPerInch = 96;
            })),
            "32767x8");
  EXPECT_EQ(Outcome(Wmf([&](WmfOptions& o) {
              o.right = 16385;
              o.bottom = 8;
              o.unitsPerInch = 48;
            })),
            kMetafileNotValid);
  EXPECT_EQ(MetafileDeclaredSize(Wmf([&](WmfOptions& o) {
              o.right = 16385;
              o.bottom = 8;
              o.unitsPerInch = 48;
            })).width,
            32770);
  // Each side fits but the area does not (the size is read without decoding).
  EmfOptions huge;
  huge.frame[2] = huge.frame[3] = 2540 * 250;  // 24000 pixels square
  EXPECT_EQ(MetafileDeclaredSize(BuildEmf(huge)).height, 24000);
  EXPECT_EQ(Outcome(BuildEmf(huge), true), kMetafileNotValid);
  huge.frame[0] = huge.frame[1] = INT32_MIN, huge.frame[2] = huge.frame[3] = INT32_MAX;
  EXPECT_EQ(Outcome(BuildEmf(huge), true), kMetafileNotValid);
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
  write(bad, Emf([&](EmfOptions& o) { o.signature = 0; }));

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
