// The drawing side of tromake, on Qt Gui and Svg: vector drawings and shapes
// turned into pure black-and-white pixels, clue pictures, and PNG output.
// Needs a QGuiApplication (the "offscreen" platform will do).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/picture/Picture.h"
#include "tools/PuzzleFiles.h"
#include "tools/PuzzleSource.h"

class QImage;

namespace tintaro::tools {

// Renders SVG text into a w x h mask (1 where the drawing is darker than
// mid-grey), scaled to fit and centred (or placed), without anti-aliasing.
// Empty on success, else the fault.
std::string RenderSvgMask(const std::string& svgText, int w, int h, std::vector<uint8_t>& mask,
                          const Placement& place = {});

// Renders a colour SVG figure, placed, into its colours on white and the
// mask of what it covers: a clue's figure.
std::string RenderSvgFigure(const std::string& svgText, int w, int h, const Placement& place, Picture& out,
                            std::vector<uint8_t>& figure);

// Renders SVG text into a w x h picture on white, smoothly: for clues.
std::string RenderSvgPicture(const std::string& svgText, int w, int h, Picture& out);

// A mask scaled down to a small picture of the shape in grey on white, in
// the picture's frame.
Picture MaskClue(const std::vector<uint8_t>& mask, int mw, int mh, int w, int h);

// The picture as the solved puzzle shows it: every target region red.
Picture SolvedPicture(const Picture& picture, const std::vector<SeedPoint>& targets);
// The same in place: a large picture is not copied.
void PaintSolved(Picture& picture, const std::vector<SeedPoint>& targets);

QImage ImageOf(const Picture& picture);
std::string SavePng(const Picture& picture, const std::string& path);

}  // namespace tintaro::tools
