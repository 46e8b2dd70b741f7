// Tests of the paint surface: the white picture of first use, pixel reads,
// fills through the surface, the extension rule and failures of LoadPicture,
// auto-size, visibility and ReloadPicture.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/Errors.h"
#include "core/picture/PaintSurface.h"
#include "core/picture/Picture.h"
#include "core/PuzzleState.h"
#include "support/BmpBuilder.h"

namespace tintaro {
namespace {

namespace fs = std::filesystem;

// A fresh folder for one test, removed with everything in it.
class Folder {
 public:
  Folder() {
    static int counter = 0;
    path_ = fs::temp_directory_path() /
            ("tintaro-surface-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    fs::create_directories(path_);
  }
  ~Folder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  std::string Path(const std::string& name) const { return (path_ / name).string(); }
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    test::WriteFileBytes(Path(name), bytes);
    return Path(name);
  }

 private:
  fs::path path_;
};

// A 24-bit BMP of the given pixels (row 0 at the top).
std::vector<uint8_t> Bmp(int width, int height, const std::vector<uint32_t>& pixels) {
  return test::BuildBmp(width, height, pixels);
}

// width x height white pixels with a black frame one pixel inside the edge,
// so (0, 0) is in the outer ring and (2, 2) inside the frame.
std::vector<uint32_t> FramedWhite(int width, int height) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, kWhite);
  for (int y = 1; y < height - 1; ++y) {
    for (int x = 1; x < width - 1; ++x) {
      if (y == 1 || y == height - 2 || x == 1 || x == width - 2) pixels[static_cast<size_t>(y) * width + x] = kBlack;
    }
  }
  return pixels;
}

std::vector<uint32_t> AllPixels(PaintSurface& surface) {
  std::vector<uint32_t> pixels;
  for (int y = 0; y < surface.Height(); ++y) {
    for (int x = 0; x < surface.Width(); ++x) pixels.push_back(surface.PixelAt(x, y));
  }
  return pixels;
}

void ExpectMessage(const std::function<void()>& action, const std::string& message) {
  try {
    action();
    ADD_FAILURE() << "no failure, expected \"" << message << "\"";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()), message);
  }
}

TEST(PaintSurface, FirstUseGivesAWhitePictureOfTheControlsSize) {
  PaintSurface surface;
  EXPECT_TRUE(surface.IsShown());
  EXPECT_FALSE(surface.HasPicture());
  EXPECT_EQ(surface.Width(), 0);
  EXPECT_EQ(surface.PixelAt(10, 10), kWhite);
  EXPECT_EQ(surface.Width(), 649);
  EXPECT_EQ(surface.Height(), 489);
  EXPECT_EQ(surface.PixelAt(648, 488), kWhite);
  EXPECT_EQ(surface.PixelAt(649, 0), kNoColour);

  // The first fill also makes the picture first, then fills all of it.
  PaintSurface filled;
  filled.FillToBlack(300, 200, kRed);
  EXPECT_EQ(filled.Width(), 649);
  EXPECT_EQ(filled.PixelAt(0, 0), kRed);
  EXPECT_EQ(filled.PixelAt(648, 488), kRed);
  EXPECT_EQ(filled.ControlWidth(), 649);
  EXPECT_EQ(filled.ControlHeight(), 489);
}

TEST(PaintSurface, PixelsOutsideThePictureReadAsNoColour) {
  Folder folder;
  PaintSurface surface;
  surface.LoadPicture(folder.Write("p.bmp", Bmp(3, 2, {kRed, kWhite, kBlack, 0x123456, kWhite, kRed})));
  EXPECT_EQ(surface.PixelAt(0, 0), kRed);
  EXPECT_EQ(surface.PixelAt(2, 0), kBlack);
  EXPECT_EQ(surface.PixelAt(0, 1), 0x123456u);
  for (auto [x, y] : std::vector<std::pair<int, int>>{{-1, 0}, {0, -1}, {3, 0}, {0, 2}, {3, 2}, {-5, 99}}) {
    const uint32_t pixel = surface.PixelAt(x, y);
    EXPECT_EQ(pixel, 0xFFFFFFFFu) << x << "," << y;
    EXPECT_NE(pixel, kRed);
    EXPECT_NE(pixel, kWhite);
  }
  surface.LoadPicture(folder.Write("one.bmp", Bmp(1, 1, {kWhite})));
  EXPECT_EQ(surface.PixelAt(0, 0), kWhite);
  EXPECT_EQ(surface.PixelAt(1, 1), kNoColour);
}

TEST(PaintSurface, FillsKeepToTheRegionAndDropAHighByte) {
  Folder folder;
  PaintSurface surface;
  surface.LoadPicture(folder.Write("frame.bmp", Bmp(7, 6, FramedWhite(7, 6))));
  const uint64_t before = surface.Revision();
  surface.FillToBlack(0, 0, 0xFF0000FFu);
  EXPECT_GT(surface.Revision(), before);
  EXPECT_EQ(surface.PixelAt(0, 0), kRed);
  EXPECT_EQ(surface.PixelAt(6, 5), kRed);
  EXPECT_EQ(surface.PixelAt(1, 1), kBlack);
  EXPECT_EQ(surface.PixelAt(2, 2), kWhite);
  surface.FillToBlack(3, 3, 0x00FF00);
  EXPECT_EQ(surface.PixelAt(2, 2), 0x00FF00u);
  EXPECT_EQ(surface.PixelAt(0, 0), kRed);
  // Outside the picture and on black nothing changes.
  const std::vector<uint32_t> settled = AllPixels(surface);
  surface.FillToBlack(-1, 0, kWhite);
  surface.FillToBlack(7, 0, kWhite);
  surface.FillToBlack(1, 1, kWhite);
  EXPECT_EQ(AllPixels(surface), settled);

  // A picture of another size reuses the fill's scratch correctly.
  surface.LoadPicture(folder.Write("wide.bmp", Bmp(70, 4, FramedWhite(70, 4))));
  surface.FillToBlack(69, 3, kRed);
  EXPECT_EQ(surface.PixelAt(0, 0), kRed);
  EXPECT_EQ(surface.PixelAt(1, 1), kBlack);
  EXPECT_EQ(surface.PixelAt(2, 2), kBlack);
  surface.LoadPicture(folder.Write("tall.bmp", Bmp(5, 90, FramedWhite(5, 90))));
  surface.FillToBlack(2, 2, kRed);
  EXPECT_EQ(surface.PixelAt(2, 87), kRed);
  EXPECT_EQ(surface.PixelAt(0, 0), kWhite);
}

TEST(PaintSurface, TheExtensionPicksTheDecoderIgnoringCase) {
  Folder folder;
  PaintSurface surface;
  surface.LoadPicture(folder.Write("PIC.BMP", Bmp(4, 3, std::vector<uint32_t>(12, kRed))));
  EXPECT_EQ(surface.Width(), 4);
  EXPECT_EQ(surface.PixelAt(3, 2), kRed);
  EXPECT_EQ(surface.CurrentPicture().kind, PictureKind::Bitmap);

  // Unknown extensions fail before the file is looked at, whether it exists
  // or not, naming the extension as written.
  const std::string dotted = folder.Path("folder.with.dot");
  fs::create_directories(dotted);
  folder.Write("x.bmp.txt", Bmp(2, 2, std::vector<uint32_t>(4, kWhite)));
  const std::vector<std::pair<std::string, std::string>> cases = {
      {folder.Path("x.bmp.txt"), "txt"},
      {folder.Path("missing.TxT"), "TxT"},
      {folder.Path("x"), ""},
      {"", ""},
      {dotted + "/x", ""},
      {folder.Path("x."), ""},
  };
  for (const auto& [path, extension] : cases) {
    try {
      surface.LoadPicture(path);
      ADD_FAILURE() << path << " loaded";
    } catch (const EInvalidGraphic& e) {
      EXPECT_EQ(std::string(e.what()), "Unknown picture file extension (." + extension + ")") << path;
    }
  }
  EXPECT_EQ(surface.Width(), 4);
  EXPECT_EQ(surface.PixelAt(0, 0), kRed);
}

TEST(PaintSurface, AFailedLoadKeepsThePictureSizeAndVisibility) {
  Folder folder;
  PaintSurface surface;
  const std::string good = folder.Write("good.bmp", Bmp(5, 4, FramedWhite(5, 4)));
  surface.LoadPicture(good);
  surface.FillToBlack(0, 0, kRed);
  surface.HidePicture();
  const std::vector<uint32_t> before = AllPixels(surface);

  const std::string missing = folder.Path("missing.bmp");
  ExpectMessage([&] { surface.LoadPicture(missing); }, "Cannot open file " + missing);
  EXPECT_THROW(surface.LoadPicture(missing), EFOpenError);
  // A folder cannot be opened as a picture either.
  const std::string folderBmp = folder.Path("x.bmp");
  fs::create_directories(folderBmp);
  ExpectMessage([&] { surface.LoadPicture(folderBmp); }, "Cannot open file " + folderBmp);
  EXPECT_THROW(surface.LoadPicture(folderBmp), EFOpenError);
  // Nor can a named pipe; opening it must not wait for a writer.
  const std::string pipe = folder.Path("pipe.bmp");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_THROW(surface.LoadPicture(pipe), EFOpenError);
  // Data that is not a bitmap, and a file too short for the header.
  const std::string notBmp = folder.Write("not.bmp", std::vector<uint8_t>(40, 'X'));
  ExpectMessage([&] { surface.LoadPicture(notBmp); }, "Bitmap image is not valid");
  const std::string shortBmp = folder.Write("short.bmp", {'B', 'M', 1, 2, 3});
  ExpectMessage([&] { surface.LoadPicture(shortBmp); }, "Stream read error");
  EXPECT_THROW(surface.LoadPicture(shortBmp), EReadError);

  EXPECT_EQ(AllPixels(surface), before);
  EXPECT_EQ(surface.Width(), 5);
  EXPECT_EQ(surface.ControlWidth(), 5);
  EXPECT_EQ(surface.ControlHeight(), 4);
  EXPECT_FALSE(surface.IsShown());

  // A successful load does not change the visibility either.
  surface.LoadPicture(good);
  EXPECT_FALSE(surface.IsShown());
  EXPECT_EQ(surface.PixelAt(0, 0), kWhite);
  surface.ShowPicture();
  EXPECT_TRUE(surface.IsShown());
}

TEST(PaintSurface, AnEmptyBitmapKeepsTheControlSizeAndIgnoresFills) {
  Folder folder;
  PaintSurface surface;
  surface.LoadPicture(folder.Write("big.bmp", Bmp(30, 20, std::vector<uint32_t>(600, kWhite))));
  EXPECT_EQ(surface.ControlWidth(), 30);
  EXPECT_EQ(surface.ControlHeight(), 20);
  surface.LoadPicture(folder.Write("empty.bmp", {}));
  EXPECT_TRUE(surface.HasPicture());
  EXPECT_EQ(surface.Width(), 0);
  EXPECT_EQ(surface.Height(), 0);
  EXPECT_EQ(surface.ControlWidth(), 30);
  EXPECT_EQ(surface.ControlHeight(), 20);
  // No white picture replaces a loaded empty one.
  for (auto [x, y] : std::vector<std::pair<int, int>>{{0, 0}, {1, 1}, {29, 19}, {-1, 0}}) {
    EXPECT_EQ(surface.PixelAt(x, y), kNoColour);
    surface.FillToBlack(x, y, kRed);
    EXPECT_EQ(surface.PixelAt(x, y), kNoColour);
  }
  EXPECT_EQ(surface.Width(), 0);

  // An empty picture on a fresh surface leaves the initial layout.
  PaintSurface fresh;
  fresh.LoadPicture(folder.Path("empty.bmp"));
  EXPECT_EQ(fresh.ControlWidth(), 649);
  EXPECT_EQ(fresh.ControlHeight(), 489);
  EXPECT_EQ(fresh.PixelAt(1, 1), kNoColour);
}

TEST(PaintSurface, ReloadRestoresThePictureAndShowsItUnlessItIsGone) {
  Folder folder;
  PuzzleState state;
  state.PicturePath = folder.Write("puzzle.bmp", Bmp(6, 5, FramedWhite(6, 5)));
  PaintSurface surface;
  surface.LoadPicture(state.PicturePath);
  const std::vector<uint32_t> clean = AllPixels(surface);
  surface.FillToBlack(0, 0, kRed);
  surface.FillToBlack(2, 2, kRed);
  surface.HidePicture();
  surface.ReloadPicture(state);
  EXPECT_EQ(AllPixels(surface), clean);
  EXPECT_TRUE(surface.IsShown());

  // The file is gone: EFOpenError, the picture stays as it was and hidden.
  surface.FillToBlack(0, 0, kRed);
  surface.HidePicture();
  fs::remove(state.PicturePath);
  ExpectMessage([&] { surface.ReloadPicture(state); }, "Cannot open file " + state.PicturePath);
  EXPECT_THROW(surface.ReloadPicture(state), EFOpenError);
  EXPECT_FALSE(surface.IsShown());
  EXPECT_EQ(surface.PixelAt(0, 0), kRed);

  // An empty path names no extension.
  state.PicturePath.clear();
  EXPECT_THROW(surface.ReloadPicture(state), EInvalidGraphic);
  EXPECT_FALSE(surface.IsShown());
}

}  // namespace
}  // namespace tintaro
