// The cells are the photo's own regions, cut along the subject's outline as
// well: among the photo's many edges the outline is one more, so the clutter
// of the photo hides it, while the solved picture shows the subject whole.
// The clue shows the photo in its frame, the subject in colour and the rest
// faded, so it says what to look for and where.
#include "tools/PicturePuzzle.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

#include "core/picture/PaintSurface.h"

#include "tools/ClueFrame.h"
#include "tools/PictureInput.h"
#include "tools/SubjectFinder.h"
#include "tools/Superpixels.h"

namespace tintaro::tools {

namespace {

// The Clue window's square picture box: the photo is letterboxed in it.
constexpr int kClueSide = 129;
// More cells make more, smaller targets.
int CellsFor(Difficulty d) {
  switch (d) {
    case Difficulty::Easy: return 60;
    case Difficulty::Medium: return 140;
    case Difficulty::Hard: return 260;
  }
  return 140;
}

// The photo in the picture's frame, its proportions kept: the subject in
// colour, the rest faded to pale grey.
Picture ClueOf(const QImage& colour, const std::vector<uint8_t>& subject) {
  const ClueRect r = FramedPictureRect(kClueSide, kClueSide, colour.width(), colour.height());
  const QImage small =
      colour.scaled(r.w, r.h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).convertToFormat(QImage::Format_RGB888);
  const std::vector<uint8_t> figure = ScaledMask(subject, colour.size(), QSize(r.w, r.h));
  Picture inner;
  inner.Reset(PictureKind::Bitmap, r.w, r.h);
  for (int y = 0; y < r.h; ++y) {
    const uchar* row = small.constScanLine(y);
    for (int x = 0; x < r.w; ++x)
      inner.pixels[static_cast<size_t>(y) * static_cast<size_t>(r.w) + static_cast<size_t>(x)] =
          static_cast<uint32_t>(row[3 * x]) | static_cast<uint32_t>(row[3 * x + 1]) << 8 |
          static_cast<uint32_t>(row[3 * x + 2]) << 16;
  }
  return ComposeFramedClue(kClueSide, kClueSide, inner, figure, /*fadeRest=*/true);
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

std::string ReadPictureSubject(const PictureRequest& rq, PictureSubject& out) {
  PictureInput& input = out.input;
  if (std::string e = ReadPicture(rq.imagePath, PaintSurface::kInitialControlWidth, PaintSurface::kInitialControlHeight,
                                  input);
      !e.empty())
    return rq.imagePath + ": " + e;
  const int w = input.colour.width(), h = input.colour.height();
  std::string way;
  if (!rq.subjectPath.empty()) {
    if (std::string e = ReadSubjectMask(rq.subjectPath, w, h, out.mask); !e.empty()) return rq.subjectPath + ": " + e;
    out.from = "mask";
    way = "draw the subject on the mask in black, the rest white or transparent";
  } else if (!input.opaque.empty()) {
    out.mask = input.opaque;
    out.from = "transparency";
    way = "the subject is the picture's opaque part; or " + std::string(kMarkItYourself);
  } else {
    FoundSubject found = FindSubject(input.colour);
    out.mask = std::move(found.mask);
    out.from = "found";
    way = kMarkItYourself;
    if (found.plain) return rq.imagePath + ": the picture is nearly all one colour: no subject to find (" + way + ")";
    if (found.pieces >= 3 && found.largestShare < 0.5)
      return rq.imagePath + ": no single subject found, only " + std::to_string(found.pieces) +
             " scattered pieces (" + way + ")";
  }
  out.share = MaskShare(out.mask);
  if (std::string e = SubjectShareFault(out.share, way); !e.empty())
    return (out.from == "mask" ? rq.subjectPath : rq.imagePath) + ": " + e;
  return "";
}

void PreparePicturePuzzle(const PictureRequest& rq, const PictureSubject& subject, BuildRequest& build,
                          PictureFacts& facts) {
  QImage colour = subject.input.colour;
  std::vector<uint8_t> mask = subject.mask;
  if (rq.scale < 1) {
    const QSize fitted = colour.size().scaled(
        std::max(1, static_cast<int>(std::lround(colour.width() * rq.scale))),
        std::max(1, static_cast<int>(std::lround(colour.height() * rq.scale))), Qt::KeepAspectRatio);
    colour = colour.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    mask = ScaledMask(subject.mask, subject.input.colour.size(), fitted);
  }
  const int w = colour.width(), h = colour.height();
  facts.width = w;
  facts.height = h;
  facts.subjectFrom = subject.from;
  facts.subjectShare = subject.share;

  CellSpec cells;
  // A smaller picture gets fewer cells too, each a little smaller: fewer,
  // smaller targets for a locked mode's floods to hit.
  cells.cells = std::max(12, static_cast<int>(std::lround(CellsFor(rq.difficulty) * rq.scale)));
  cells.seed = rq.seed;
  facts.withoutSubject = DrawPictureCells(colour, cells);
  cells.trace = &mask;
  cells.traceShare = 1;
  build.drawingPicture = DrawPictureCells(colour, cells);
  build.hiddenMask = std::move(mask);
  // The clue is as clear at any scale.
  build.cluePicture = ClueOf(subject.input.colour, subject.mask);
  build.source.width = w;
  build.source.height = h;
  build.source.seed = rq.seed;
  build.source.mode = rq.mode;
  build.noTargetsAdvice = "the subject is thinner than the cells: --difficulty hard makes smaller ones; or " +
                          std::string(kMarkItYourself);
}

}  // namespace tintaro::tools
