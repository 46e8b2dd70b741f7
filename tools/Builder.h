// Making a puzzle archive: from a parsed source (build) or from a built-in
// shape (generate). Draws with Qt, so a QGuiApplication must exist.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/picture/Picture.h"
#include "tools/PuzzleSource.h"

namespace tintaro::tools {

struct BuildRequest {
  PuzzleSource source;
  std::string baseDir;        // files named by the source are found here
  std::string name;           // picture base name when the source gives none
  std::string hiddenSvgText;  // the hidden shape's SVG in place of source.hidden
  std::vector<std::string> figureSvgTexts;  // in place of source.figures' files, when as many
  // Made by the caller in place of the source's files, when not empty: the
  // drawing (pure black on white), its hidden mask (1 = hidden) and the clue.
  Picture drawingPicture;
  std::vector<uint8_t> hiddenMask;
  Picture cluePicture;
  // What the author can do when no region lies mostly inside the hidden
  // picture, in the words of the command that made the request.
  std::string noTargetsAdvice = "more 'mosaic' cells or 'detail' make smaller ones";
};

struct BuildReport {
  std::string error;  // empty on success
  int targets = 0;
  int strays = 0;
};

BuildReport BuildPuzzle(const BuildRequest& request, const std::string& outputPath);

// The picture build makes from the request, repairs included; without
// `withHidden` as if the source hid nothing. Empty on success, else the fault.
std::string DrawPuzzle(const BuildRequest& request, bool withHidden, Picture& out);

// The masks of the hidden figure and of each decoy figure a mosaic source
// outlines, for a picture of w x h. Empty on success, else the fault.
std::string FigureMasks(const BuildRequest& request, int w, int h, std::vector<uint8_t>& hidden,
                        std::vector<std::vector<uint8_t>>& decoys);

// The shapes `generate` knows, and the SVG of one ("" for an unknown name).
std::vector<std::string> BuiltinShapeNames();
std::string BuiltinShapeSvg(const std::string& name);

// A generated puzzle: `shape` hidden among `decoys` other built-in shapes,
// all outlined alike across a mosaic, in places chosen by the source's seed.
// Fills the request's placement, figures and their SVG texts.
void PlaceBuiltinFigures(const std::string& shape, int decoys, BuildRequest& request);

}  // namespace tintaro::tools
