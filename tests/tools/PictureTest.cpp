// tromake picture, as a player runs it: a cut-out's opaque part and a photo's
// subject become the targets, each refusal is one line, the same picture and
// seed give the same archive, and an EXIF-turned photo is made upright.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QBuffer>
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
#include "tools/PictureInput.h"
#include "tools/SvgReferences.h"

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

  // Nearly one colour: nothing for the finder to find, refused before it
  // starts (its cut, with no edges to follow, took up to a minute).
  QImage black(400, 400, QImage::Format_ARGB32);
  black.fill(qRgba(0, 0, 0, 255));  // an alpha channel, all opaque: no cut-out
  black.save(QString::fromStdString(dir.File("black.png")));
  QImage faint(400, 300, QImage::Format_RGB32);
  std::mt19937 noise(3);
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 400; ++x) {
      const int v = 254 + static_cast<int>(noise() % 2);
      faint.setPixel(x, y, qRgb(v, v, v));
    }
  faint.save(QString::fromStdString(dir.File("faint.png")));
  dir.Write("nan.svg", ToBytes("<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"NaN NaN NaN NaN\">"
                               "<rect width=\"10\" height=\"10\"/></svg>"));
  // Masks: one drawn for a square picture, and one marking 0.9 % of it.
  QImage square(16, 16, QImage::Format_RGB32);
  square.fill(Qt::black);
  square.save(QString::fromStdString(dir.File("square.png")));
  QImage speck(400, 300, QImage::Format_RGB32);
  speck.fill(Qt::white);
  for (int y = 100; y < 130; ++y)
    for (int x = 100; x < 136; ++x) speck.setPixel(x, y, qRgb(0, 0, 0));
  speck.save(QString::fromStdString(dir.File("speck.png")));
  // A cut-out of 2-pixel stripes: a subject of 5 %, but no cell mostly inside it.
  QImage stripes(400, 300, QImage::Format_ARGB32);
  stripes.fill(qRgba(0, 0, 0, 0));
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 400; ++x)
      if ((x + y) % 40 < 2) stripes.setPixel(x, y, qRgba(200, 60, 40, 255));
  stripes.save(QString::fromStdString(dir.File("stripes.png")));

  // Ten copies of a small PNG that decodes to 16 megapixels.
  QImage large(4096, 4096, QImage::Format_Mono);
  large.fill(0);
  QByteArray png;
  QBuffer pngBuffer(&png);
  pngBuffer.open(QIODevice::WriteOnly);
  large.save(&pngBuffer, "PNG");
  std::string bomb = "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
                     "viewBox=\"0 0 40 30\">";
  for (int k = 0; k < 10; ++k)
    bomb += "<image x=\"" + std::to_string(k) + "\" width=\"4\" height=\"3\" xlink:href=\"data:image/png;base64," +
            png.toBase64().toStdString() + "\"/>";
  dir.Write("bomb.svg", ToBytes(bomb + "</svg>"));

  struct Case {
    const char* args;
    const char* line;
  };
  const Case cases[] = {
      {"bomb.svg", "bomb.svg: its inline pictures hold more than 32 megapixels together"},
      {"plain.png --subject DIR/bomb.svg", "bomb.svg: its inline pictures hold more than 32 megapixels together"},
      {"plain.png", "the picture is nearly all one colour: no subject to find (mark the subject yourself: --subject MASK"},
      {"black.png", "black.png: the picture is nearly all one colour"},
      {"faint.png", "faint.png: the picture is nearly all one colour"},
      {"nan.svg", "nan.svg: "},
      {"plain.png --subject DIR/square.png", "square.png: the mask is 1.00 times as wide as high, the picture 1.33"},
      {"plain.png --subject DIR/speck.png", "speck.png: the subject covers 1 % of the picture: too little to play"},
      {"stripes.png", "no region lies mostly inside the hidden picture (the subject is thinner than the cells: "
                      "--difficulty hard"},
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
// Stored, its left half is dark and its right half light.
Bytes TurnedJpeg(int w, int h) {
  std::vector<uint32_t> halves(static_cast<size_t>(w) * static_cast<size_t>(h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) halves[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] = x < w / 2 ? 0x202020 : 0xE0E0E0;
  std::vector<uint8_t> jpeg = BuildJpeg(w, h, halves);
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
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.out.find("326 x 489"), std::string::npos) << o.out << o.err;
  // Turned a quarter clockwise, the stored left half is the upright top.
  tools::PictureInput upright;
  ASSERT_EQ(tools::ReadPicture(dir.File("turned.jpg"), 649, 489, upright), "");
  ASSERT_EQ(upright.colour.size(), QSize(326, 489));
  EXPECT_LT(qGray(upright.colour.pixel(163, 60)), 64);
  EXPECT_GT(qGray(upright.colour.pixel(163, 430)), 192);
}

}  // namespace
}  // namespace tintaro::test

namespace tintaro::test {
namespace {

// A mask drawn over the picture has its shape; one a few per cent off was
// drawn for another picture. 617 and 619 pixels lie either side of 3 %
// wider than 600.
TEST(PictureTest, AMaskMayDifferFromThePicturesShapeByThreePerCentAtMost) {
  const QSize picture(600, 400);
  const struct {
    QSize mask;
    bool fits;
  } cases[] = {
      {{600, 400}, true}, {{1200, 800}, true}, {{617, 400}, true}, {{619, 400}, false},
      {{600, 389}, true}, {{600, 388}, false}, {{16, 16}, false},  {{649, 433}, true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(tools::MaskShapeFault(c.mask, picture).empty(), c.fits) << c.mask.width() << " x " << c.mask.height();
}

// A BMP's 54-byte header declaring w x h: enough for its size to be read.
std::string BmpHeader(int w, int h) {
  std::string b = "BM";
  auto put = [&](uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b += static_cast<char>(v >> (8 * i));
  };
  const uint32_t row = (static_cast<uint32_t>(w) * 3 + 3) & ~3u, data = row * static_cast<uint32_t>(h);
  put(54 + data, 4), put(0, 4), put(54, 4), put(40, 4), put(static_cast<uint32_t>(w), 4), put(static_cast<uint32_t>(h), 4);
  put(1, 2), put(24, 2), put(0, 4), put(data, 4), put(2835, 4), put(2835, 4), put(0, 4), put(0, 4);
  return b;
}

// Qt decodes every inline picture as it parses and draws each element as
// often as links repeat it: their pixels and elements together are bounded,
// each <use> counted. Two 4096 x 4096 pictures are exactly the 32 megapixels.
TEST(PictureTest, AnSvgsInlinePicturesAndRepeatsAreBoundedTogether) {
  const QByteArray big = QByteArray::fromStdString(BmpHeader(4096, 4096)).toBase64();
  const std::string image = "<image width=\"10\" height=\"10\" xlink:href=\"data:image/bmp;base64," + big.toStdString() + "\"/>";
  const std::string dot = "<image width=\"1\" height=\"1\" xlink:href=\"data:image/bmp;base64," +
                          QByteArray::fromStdString(BmpHeader(1, 1)).toBase64().toStdString() + "\"/>";
  auto svg = [](const std::string& body) {
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
           "viewBox=\"0 0 10 10\">" + body + "</svg>";
  };
  // Ten groups, each using the one before ten times: 10^N rectangles.
  auto fanOut = [](int levels) {
    std::string s = "<defs><rect id=\"g0\" width=\"1\" height=\"1\"/>";
    for (int l = 1; l <= levels; ++l) {
      s += "<g id=\"g" + std::to_string(l) + "\">";
      for (int k = 0; k < 10; ++k) s += "<use xlink:href=\"#g" + std::to_string(l - 1) + "\"/>";
      s += "</g>";
    }
    return s + "</defs><use xlink:href=\"#g" + std::to_string(levels) + "\"/>";
  };
  const std::string used = "<defs><g id=\"p\">" + image + "</g></defs>";
  const struct {
    const char* name;
    std::string text;
    const char* fault;  // "" when allowed
  } cases[] = {
      {"two large pictures", svg(image + image), ""},
      {"and one pixel more", svg(image + image + dot), "more than 32 megapixels together"},
      {"one picture used twice", svg(used + "<use xlink:href=\"#p\"/><use href=\"#p\"/>"), ""},
      {"used three times", svg(used + "<use xlink:href=\"#p\"/><use xlink:href=\"#p\"/><use href=\"#p\"/>"),
       "more than 32 megapixels together"},
      {"a picture in a pattern", svg("<defs><pattern id=\"t\">" + image + "</pattern></defs><rect fill=\"url(#t)\"/>"
                                     "<rect style=\"fill: url('#t')\"/><rect stroke=\"url( #t )\"/>"),
       "more than 32 megapixels together"},
      {"ten pictures never drawn", svg("<defs>" + std::string(10, ' ') + image + image + dot + "</defs>"),
       "more than 32 megapixels together"},
      {"10^5 rectangles", svg(fanOut(5)), ""},
      {"10^7 rectangles", svg(fanOut(7)), "more than 2 million elements"},
      {"a link to itself", svg("<g id=\"a\"><use xlink:href=\"#a\"/>" + image + "</g>"), ""},
  };
  for (const auto& c : cases) {
    const std::string fault = tools::SvgReferenceFault(c.text);
    if (*c.fault == '\0') EXPECT_EQ(fault, "") << c.name;
    else EXPECT_NE(fault.find(c.fault), std::string::npos) << c.name << ": " << fault;
  }
}

}  // namespace
}  // namespace tintaro::test
