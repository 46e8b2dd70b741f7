// The subject is chosen before the cells only to be checked: the cells are
// drawn from the photo alone (unless an easy puzzle traces the outline), so
// the builder's rule, a cell is a target when most of it is hidden, is all
// that ties them together.
#include "tools/PicturePuzzle.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

#include "core/picture/PaintSurface.h"

#include "tools/PictureInput.h"
#include "tools/SubjectFinder.h"
#include "tools/Superpixels.h"

namespace tintaro::tools {

namespace {

constexpr int kClueWidth = 160, kClueHeight = 120;
// More cells make more, smaller targets. Easy puzzles also trace the
// subject's outline.
int CellsFor(Difficulty d) {
  switch (d) {
    case Difficulty::Easy: return 60;
    case Difficulty::Medium: return 140;
    case Difficulty::Hard: return 260;
  }
  return 140;
}

// The photo, proportions kept, centred on a white clue-sized canvas.
Picture ClueOf(const QImage& colour) {
  QImage canvas(kClueWidth, kClueHeight, QImage::Format_RGB32);
  canvas.fill(Qt::white);
  const QImage small = colour.scaled(kClueWidth, kClueHeight, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  QPainter painter(&canvas);
  painter.drawImage((kClueWidth - small.width()) / 2, (kClueHeight - small.height()) / 2, small);
  painter.end();
  Picture clue;
  clue.Reset(PictureKind::Bitmap, kClueWidth, kClueHeight);
  for (int y = 0; y < kClueHeight; ++y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(canvas.constScanLine(y));
    for (int x = 0; x < kClueWidth; ++x)
      clue.pixels[static_cast<size_t>(y) * kClueWidth + static_cast<size_t>(x)] =
          static_cast<uint32_t>(qRed(row[x])) | static_cast<uint32_t>(qGreen(row[x])) << 8 |
          static_cast<uint32_t>(qBlue(row[x])) << 16;
  }
  return clue;
}

constexpr const char* kMarkItYourself =
    "mark the subject yourself: --subject MASK, a picture of the same shape with the subject drawn in black on white";

}  // namespace

bool ParseDifficulty(const std::string& word, Difficulty& out) {
  if (word == "easy") out = Difficulty::Easy;
  else if (word == "medium") out = Difficulty::Medium;
  else if (word == "hard") out = Difficulty::Hard;
  else return false;
  return true;
}

std::string PreparePicturePuzzle(const PictureRequest& rq, BuildRequest& build, PictureFacts& facts) {
  const int maxWidth = static_cast<int>(std::lround(PaintSurface::kInitialControlWidth * rq.scale));
  const int maxHeight = static_cast<int>(std::lround(PaintSurface::kInitialControlHeight * rq.scale));
  PictureInput input;
  if (std::string e = ReadPicture(rq.imagePath, maxWidth, maxHeight, input); !e.empty()) return rq.imagePath + ": " + e;
  const int w = input.colour.width(), h = input.colour.height();
  facts.width = w;
  facts.height = h;

  std::vector<uint8_t> subject;
  std::string way;
  if (!rq.subjectPath.empty()) {
    if (std::string e = ReadSubjectMask(rq.subjectPath, w, h, subject); !e.empty()) return rq.subjectPath + ": " + e;
    facts.subjectFrom = "mask";
    way = "draw the subject on the mask in black, the rest white or transparent";
  } else if (!input.opaque.empty()) {
    subject = input.opaque;
    facts.subjectFrom = "transparency";
    way = "the subject is the picture's opaque part; or " + std::string(kMarkItYourself);
  } else {
    FoundSubject found = FindSubject(input.colour);
    subject = std::move(found.mask);
    facts.subjectFrom = "found";
    way = kMarkItYourself;
    if (found.pieces >= 3 && found.largestShare < 0.5)
      return rq.imagePath + ": no single subject found, only " + std::to_string(found.pieces) +
             " scattered pieces (" + way + ")";
  }
  facts.subjectShare = MaskShare(subject);
  if (std::string e = SubjectShareFault(facts.subjectShare, way); !e.empty())
    return (facts.subjectFrom == "mask" ? rq.subjectPath : rq.imagePath) + ": " + e;

  CellSpec cells;
  // A smaller picture gets fewer cells too, each a little smaller: fewer,
  // smaller targets for a locked mode's floods to hit.
  cells.cells = std::max(12, static_cast<int>(std::lround(CellsFor(rq.difficulty) * rq.scale)));
  cells.seed = rq.seed;
  facts.withoutSubject = DrawPictureCells(input.colour, cells);
  if (rq.difficulty == Difficulty::Easy) {
    cells.trace = &subject;
    build.drawingPicture = DrawPictureCells(input.colour, cells);
  } else {
    build.drawingPicture = facts.withoutSubject;
  }
  build.hiddenMask = std::move(subject);
  build.cluePicture = ClueOf(input.colour);
  build.source.width = w;
  build.source.height = h;
  build.source.seed = rq.seed;
  build.source.mode = rq.mode;
  return "";
}

}  // namespace tintaro::tools
