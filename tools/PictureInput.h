// Reading the player's own picture for `tromake picture`: any format Qt's
// image plugins read, or an SVG, turned upright, scaled to fit a box, with
// its transparent part known. Bad or huge input is one fault line, found
// before much is decoded.
#pragma once

#include <QImage>

#include <cstdint>
#include <string>
#include <vector>

namespace tintaro::tools {

// The largest file a picture may come in: a photo of many megapixels fits.
inline constexpr size_t kMaxPictureFileBytes = size_t{128} << 20;

struct PictureInput {
  QImage colour;  // Format_RGB888, laid on white where the picture was transparent
  // 1 where the picture is opaque; empty when under 1 % of it is transparent.
  std::vector<uint8_t> opaque;
};

// Reads the picture at `path`, scaled (up or down, proportions kept) to fit
// maxWidth x maxHeight. Empty on success, else the fault.
std::string ReadPicture(const std::string& path, int maxWidth, int maxHeight, PictureInput& out);

// A mask (one value a pixel, 1 on) stretched from one size to another: a
// pixel is on when most of what it covers was.
std::vector<uint8_t> ScaledMask(const std::vector<uint8_t>& mask, QSize from, QSize to);

// A mask drawn over the picture has its shape: one whose width to height
// differs by more than this factor was drawn for another picture, and
// stretching it would hide something else.
inline constexpr double kMaxMaskShapeRatio = 1.03;

// The fault of a mask of size `drawn` for a picture of size `picture`; ""
// when their shapes agree within kMaxMaskShapeRatio.
std::string MaskShapeFault(QSize drawn, QSize picture);

// A mask the user drew, read like a picture and stretched to width x height:
// 1 where it is opaque and not white. Refused when its shape is not the
// picture's.
std::string ReadSubjectMask(const std::string& path, int width, int height, std::vector<uint8_t>& mask);

}  // namespace tintaro::tools
