// tromake picture, as a player runs it: a cut-out's opaque part and a photo's
// subject become the targets, each refusal is one line, the same picture and
// seed give the same archive, and an EXIF-turned photo is made upright.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>

#include "TromakeRun.h"
#include "archive/ArchiveTestKit.h"
#include "support/JpegBuilder.h"

namespace tintaro::test {
namespace {

// A w x h picture: `inside` pixels (the ellipse filling the middle half of
// each side) one colour, the rest another, both with noise as a camera adds.
QImage TwoColours(int w, int h, QRgb inside, QRgb outside, QRgb clear = 0, bool cutOut = false) {
  QImage image(w, h, cutOut ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  std::mt19937 noise(7);
  std::uniform_int_distribution<int> jitter(-18, 18);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double dx = (x - w / 2.0) / (w / 4.0), dy = (y - h / 2.0) / (h / 4.0);
      const QRgb c = dx * dx + dy * dy <= 1 ? inside : cutOut ? clear : outside;
      auto channel = [&](int v) { return std::clamp(v + jitter(noise), 0, 255); };
      image.setPixel(x, y, qRgba(channel(qRed(c)), channel(qGreen(c)), channel(qBlue(c)), qAlpha(c)));
    }
  return image;
}

// Where a picture's subject lies, in fractions of its width and height.
using Shape = std::function<bool(double fx, double fy)>;

bool InEllipse(double fx, double fy) {
  const double dx = (fx - 0.5) / 0.25, dy = (fy - 0.5) / 0.25;
  return dx * dx + dy * dy <= 1;
}

// A figure standing on the bottom edge left of the middle: not centred.
bool InFigure(double fx, double fy) { return fx >= 0.08 && fx < 0.33 && fy >= 0.35; }

// A person cut off by the bottom edge: a small plain head over a large body
// of another colour. The head alone looks like a subject too.
bool InHead(double fx, double fy) {
  const double dx = (fx - 0.5) / 0.1, dy = (fy - 0.3) / 0.13;
  return dx * dx + dy * dy <= 1;
}
bool InPerson(double fx, double fy) { return InHead(fx, fy) || (fx >= 0.33 && fx < 0.67 && fy >= 0.47); }

// What `paint` puts (0: nothing) under a sky that lightens towards the
// horizon, so the background is not one colour either; with camera noise.
QImage UnderSky(int w, int h, const std::function<QRgb(double fx, double fy)>& paint) {
  QImage image(w, h, QImage::Format_RGB32);
  std::mt19937 noise(7);
  std::uniform_int_distribution<int> jitter(-18, 18);
  auto channel = [&](double v) { return std::clamp(static_cast<int>(v) + jitter(noise), 0, 255); };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double t = static_cast<double>(y) / h;
      const QRgb c = paint(static_cast<double>(x) / w, t);
      if (c != 0) image.setPixel(x, y, qRgb(channel(qRed(c)), channel(qGreen(c)), channel(qBlue(c))));
      else image.setPixel(x, y, qRgb(channel(30 + 120 * t), channel(40 + 130 * t), channel(110 + 100 * t)));
    }
  return image;
}

// The share of the shape's pixels that are targets, and of the targets'
// pixels that lie in the shape, in the solved picture tromake renders.
struct Overlap {
  double covered = 0, inside = 0;
};

Overlap TargetsAgainst(const Shape& shape, const TempFolder& dir, const std::string& puzzle) {
  EXPECT_EQ(Tromake(dir, "render " + puzzle + " -o " + dir.File("solved.png")).status, 0);
  const QImage solved(QString::fromStdString(dir.File("solved.png")));
  const int w = solved.width(), h = solved.height();
  double area = 0, red = 0, both = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool in = shape((x + 0.5) / w, (y + 0.5) / h), isRed = solved.pixel(x, y) == qRgb(255, 0, 0);
      area += in;
      red += isRed;
      both += in && isRed;
    }
  // Lines between target cells are black, not red: about a tenth of the area.
  return {both / area, red > 0 ? both / red : 0};
}

TEST(PictureTest, SubjectBecomesTheTargets) {
  const TempFolder dir;
  struct Case {
    const char* name;
    QImage picture;
    const char* file;
    const char* said;  // what the report line says of the subject
    Shape shape;
  };
  // Scaled to fit the picture area; the ellipse is pi / 16 of the picture.
  const Case cases[] = {
      {"cut-out", TwoColours(400, 300, qRgb(40, 90, 200), 0, qRgba(255, 255, 255, 0), true), "cutout.png",
       "649 x 487, subject transparency: 20 %", InEllipse},
      {"photo", TwoColours(400, 300, qRgb(200, 60, 40), qRgb(70, 150, 80)), "photo.png",
       "649 x 487, subject found: 20 %", InEllipse},
      {"figure off centre under a sky",
       UnderSky(400, 300, [](double fx, double fy) { return InFigure(fx, fy) ? qRgb(150, 40, 30) : 0; }),
       "figure.png", "649 x 487, subject found: ", InFigure},
      {"person cut off by the bottom edge",
       UnderSky(400, 300,
                [](double fx, double fy) {
                  return InHead(fx, fy) ? qRgb(230, 190, 160) : InPerson(fx, fy) ? qRgb(230, 120, 40) : 0;
                }),
       "person.png", "649 x 487, subject found: ", InPerson},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(c.picture.save(QString::fromStdString(dir.File(c.file))));
    const Outcome made = Tromake(dir, std::string("picture ") + dir.File(c.file) + " -o " + dir.File("p.tro"));
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_NE(made.out.find(c.said), std::string::npos) << made.out;
    // The cells are cut along the subject, but most of its outline is an
    // edge of the photo anyway: the photo's own lines hide it.
    const size_t given = made.out.find("outline given away: ");
    ASSERT_NE(given, std::string::npos) << made.out;
    EXPECT_LT(std::stoi(made.out.substr(given + 20)), 50) << made.out;
    // The clue shows the subject where it lies, letterboxed in the Clue
    // window's square box, so a player can reason it out and sees it solved.
    const size_t reasoned = made.out.find("reasoned out: ");
    ASSERT_NE(reasoned, std::string::npos) << made.out;
    EXPECT_GE(std::stoi(made.out.substr(reasoned + 14)), 12) << made.out;
    EXPECT_NE(Tromake(dir, "info " + dir.File("p.tro")).out.find("clue: 129 x 129"), std::string::npos);
    const Overlap o = TargetsAgainst(c.shape, dir, dir.File("p.tro"));
    EXPECT_GT(o.covered, 0.85);
    EXPECT_GT(o.inside, 0.9);
  }
}

TEST(PictureTest, RefusalsAreOneLine) {
  const TempFolder dir;
  TwoColours(400, 300, qRgb(128, 128, 128), qRgb(128, 128, 128)).save(QString::fromStdString(dir.File("plain.png")));
  QImage nearlyAll = TwoColours(400, 300, qRgb(0, 0, 0), 0, qRgba(0, 0, 0, 0), true);
  nearlyAll.fill(qRgba(10, 10, 10, 255));
  for (int x = 0; x < 40; ++x) nearlyAll.setPixel(x, 0, qRgba(0, 0, 0, 0));
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 20; ++x) nearlyAll.setPixel(x, y, qRgba(0, 0, 0, 0));
  nearlyAll.save(QString::fromStdString(dir.File("nearly-all.png")));
  QImage dots(400, 300, QImage::Format_RGB32);
  dots.fill(qRgb(230, 230, 230));
  for (int k = 0; k < 9; ++k)
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 24; ++x) dots.setPixel(60 + (k % 3) * 120 + x, 50 + (k / 3) * 90 + y, qRgb(20, 20, 160));
  dots.save(QString::fromStdString(dir.File("dots.png")));
  dir.Write("broken.jpg", Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1});
  dir.Write("huge.png", [] {
    // A PNG header declaring 40000 x 40000: refused before anything is decoded.
    Bytes b{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R',
            0, 0, 0x9C, 0x40, 0, 0, 0x9C, 0x40, 8, 2, 0, 0, 0, 0xDE, 0x6E, 0x99, 0x52,
            0, 0, 0, 0x0B, 'I', 'D', 'A', 'T', 0x78, 0x9C, 0x63, 0x60, 0x80, 0, 0, 0, 0x08, 0, 0x01, 0xB7, 0x58, 0x73, 0x95,
            0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    return b;
  }());

  struct Case {
    const char* args;
    const char* line;
  };
  const Case cases[] = {
      {"plain.png", "too little to play (mark the subject yourself: --subject MASK"},
      {"nearly-all.png", "nearly all of it"},
      {"dots.png", "no single subject found, only 9 scattered pieces (mark the subject yourself: --subject MASK"},
      {"broken.jpg", "broken.jpg: cannot read the picture"},
      {"huge.png", "40000 x 40000 pixels: too large"},
      {"missing.png", "missing.png: cannot open"},
      {"plain.png --subject DIR/nearly-all.png", "nearly-all.png: the subject covers"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    std::string args = c.args;
    if (const size_t at = args.find("DIR"); at != std::string::npos) args.replace(at, 3, dir.Path());
    const Outcome o = Tromake(dir, "picture " + dir.Path() + "/" + args + " -o " + dir.File("refused.tro"));
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find(c.line), std::string::npos) << o.err;
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
    EXPECT_FALSE(FileExists(dir.File("refused.tro")));
  }
}

TEST(PictureTest, SameSeedSameArchive) {
  const TempFolder dir;
  TwoColours(300, 200, qRgb(200, 60, 40), qRgb(70, 150, 80)).save(QString::fromStdString(dir.File("photo.png")));
  auto make = [&](const std::string& seed, const std::string& folder) {
    std::filesystem::create_directory(dir.File(folder));
    const Outcome o = Tromake(dir, "picture " + dir.File("photo.png") + " --difficulty hard --seed " + seed + " -o " +
                                       dir.File(folder + "/p.tro"));
    EXPECT_EQ(o.status, 0) << o.err;
    return ReadFileBytes(dir.File(folder + "/p.tro"));
  };
  const Bytes first = make("3", "a");
  EXPECT_EQ(first, make("3", "b"));
  EXPECT_NE(first, make("4", "c"));
}

// Locked to Insane, a puzzle is made smaller until half the simulated games
// are won; a subject too large to survive the floods even at a quarter of
// the size is refused and no file is left.
TEST(PictureTest, LockedInsaneIsWonOrRefused) {
  const TempFolder dir;
  TwoColours(400, 300, qRgb(200, 60, 40), qRgb(70, 150, 80)).save(QString::fromStdString(dir.File("ellipse.png")));
  QImage slab(400, 300, QImage::Format_ARGB32);
  slab.fill(qRgba(0, 0, 0, 0));
  for (int y = 15; y < 285; ++y)
    for (int x = 20; x < 380; ++x) slab.setPixel(x, y, qRgba(200, 60, 40, 255));
  slab.save(QString::fromStdString(dir.File("slab.png")));

  const Outcome won = Tromake(dir, "picture " + dir.File("ellipse.png") + " --mode insane -o " + dir.File("won.tro"));
  EXPECT_EQ(won.status, 0) << won.err;
  EXPECT_EQ(won.out.find("649 x 487"), std::string::npos) << won.out;
  EXPECT_NE(won.out.find("insane (locked): won"), std::string::npos) << won.out;
  EXPECT_EQ(Tromake(dir, "check " + dir.File("won.tro")).status, 0);

  const Outcome lost = Tromake(dir, "picture " + dir.File("slab.png") + " --mode insane -o " + dir.File("lost.tro"));
  EXPECT_EQ(lost.status, 1);
  EXPECT_NE(lost.err.find("cannot be won in its locked mode even at 162 x 122"), std::string::npos) << lost.err;
  EXPECT_FALSE(FileExists(dir.File("lost.tro")));
}

// APP1 holding EXIF orientation 6: the stored picture is to be turned a
// quarter clockwise to stand upright.
Bytes TurnedJpeg(int w, int h) {
  std::vector<uint8_t> jpeg = BuildJpeg(w, h, GradientPixels(w, h));
  const Bytes app1{0xFF, 0xE1, 0, 34, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 0x2A, 0, 0, 0, 8,
                   0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, 6, 0, 0, 0, 0, 0, 0, 0, 0};
  jpeg.insert(jpeg.begin() + 2, app1.begin(), app1.end());
  return jpeg;
}

TEST(PictureTest, ExifOrientationIsHonoured) {
  const TempFolder dir;
  // 1200 x 800 stored, 800 x 1200 upright: fitted to the picture area's height.
  dir.Write("turned.jpg", TurnedJpeg(1200, 800));
  QImage mask(800, 1200, QImage::Format_RGB32);
  mask.fill(Qt::white);
  for (int y = 400; y < 800; ++y)
    for (int x = 200; x < 600; ++x) mask.setPixel(x, y, qRgb(0, 0, 0));
  mask.save(QString::fromStdString(dir.File("mask.png")));
  const Outcome o = Tromake(dir, "picture " + dir.File("turned.jpg") + " --subject " + dir.File("mask.png") +
                                     " -o " + dir.File("t.tro"));
  EXPECT_NE((o.out + o.err).find("326 x 489"), std::string::npos) << o.out << o.err;
}

}  // namespace
}  // namespace tintaro::test
