// The editable puzzle picture shown in Image1: load, show or hide, read a
// pixel, and fill a region bounded by black.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/picture/Picture.h"
#include "core/picture/RegionFill.h"

namespace tintaro {

struct PuzzleState;

class PaintSurface {
 public:
  // The control's size before any picture set it, as the window is laid out.
  static constexpr int kInitialControlWidth = 649;
  static constexpr int kInitialControlHeight = 489;

  // Replaces the picture by the file's. On failure raises EFOpenError,
  // EInvalidGraphic (EJPEG), EReadError, and keeps the old picture.
  void LoadPicture(const std::string& path);
  // Gives the spare, which the next reload decodes into, the picture's size
  // with its pages written, so that a reload inside a move neither allocates
  // nor faults memory in. For a picture the player plays; the intro and the
  // clue are never reloaded and need no spare. A large one gets none.
  void PrepareReload();
  void ShowPicture() { shown_ = true; }
  void HidePicture() { shown_ = false; }
  bool IsShown() const { return shown_; }

  // The colour at (x, y), or kNoColour (-1) outside the picture.
  uint32_t PixelAt(int x, int y);
  // Colours the 4-connected non-black region of (x, y). Colours are 24-bit;
  // a high byte given here is dropped.
  void FillToBlack(int x, int y, uint32_t colour);
  // LoadPicture(state.PicturePath), then ShowPicture unless the load failed.
  void ReloadPicture(const PuzzleState& state);

  int Width() const { return picture_.width; }
  int Height() const { return picture_.height; }
  // Image1's size: the last non-empty picture's, or the initial layout.
  int ControlWidth() const { return controlWidth_; }
  int ControlHeight() const { return controlHeight_; }
  bool HasPicture() const { return hasPicture_; }
  const Picture& CurrentPicture() const { return picture_; }

  // Counts changes to the pixels, so a view can tell when to redraw.
  uint64_t Revision() const { return revision_; }

  // Memory held between loads: the picture, the spare and the file buffer.
  size_t HeldBytes() const;

  // A spare or file buffer above this many pixels' worth of bytes is given
  // back after a load, so a large picture is not held twice between loads;
  // below it both are kept and a reload allocates nothing.
  // TINTARO_PICTURE_SPARE_PIXELS may lower it.
  static constexpr int64_t kKeptSparePixels = int64_t{16} << 20;

 private:
  // Gives a surface that never held a picture a white one of the control's
  // size, and refuses pictures that are not bitmaps.
  void PrepareForPixels();
  // Gives back the spare and the file buffer when they are large.
  void TrimBuffers();
  static int64_t KeptBufferBytes();

  Picture picture_;
  Picture spare_;  // decode target; swapped in on success
  std::vector<uint8_t> fileBytes_;
  RegionFiller filler_;
  bool hasPicture_ = false;
  bool shown_ = true;
  int controlWidth_ = kInitialControlWidth;
  int controlHeight_ = kInitialControlHeight;
  uint64_t revision_ = 0;
};

}  // namespace tintaro
