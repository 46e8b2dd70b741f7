// `tromake picture`: a photo or drawing made into a puzzle. Its subject (the
// opaque part, a mask the user drew, or the main subject found in the photo)
// is the hidden picture; the cells are the photo's own regions; the clue is
// the photo itself, small.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/Builder.h"
#include "tools/PictureInput.h"
#include "tools/PuzzleSource.h"

namespace tintaro::tools {

enum class Difficulty { Easy, Medium, Hard };

struct PictureRequest {
  std::string imagePath;
  std::string subjectPath;  // a mask the user drew; empty: transparency or the finder
  Difficulty difficulty = Difficulty::Medium;
  ModeLock mode = ModeLock::None;
  uint32_t seed = 1;
  // The share of the largest picture size to fit the picture into: a locked
  // Crazy or Insane puzzle is made smaller until it can be won.
  double scale = 1;
};

struct PictureFacts {
  std::string subjectFrom;  // "transparency", "mask" or "found"
  int width = 0, height = 0;
  double subjectShare = 0;  // of the picture
  // The drawing as if the picture hid nothing: the same cells, untraced.
  Picture withoutSubject;
};

// The picture, fitted to the whole picture area, and its subject.
struct PictureSubject {
  PictureInput input;
  std::vector<uint8_t> mask;  // 1 on the subject, one value a pixel
  std::string from;           // "transparency", "mask" or "found"
  double share = 0;           // of the picture
};

// Reads the picture and finds its subject, once for every scale it is then
// tried at. Empty on success, else the fault.
std::string ReadPictureSubject(const PictureRequest& request, PictureSubject& subject);

// Draws the cells of the picture at the request's scale into a build request
// for BuildPuzzle.
void PreparePicturePuzzle(const PictureRequest& request, const PictureSubject& subject, BuildRequest& build,
                          PictureFacts& facts);

// "easy", "medium", "hard"; false for another word.
bool ParseDifficulty(const std::string& word, Difficulty& out);

}  // namespace tintaro::tools
