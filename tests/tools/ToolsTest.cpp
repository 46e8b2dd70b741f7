// tromake: the source parser's refusals, one broken archive per fault that
// check must catch, reproducible build and generate, and clear failures.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>

#include "TromakeRun.h"
#include "archive/ArchiveTestKit.h"
#include "support/BmpBuilder.h"
#include "support/SolutionBuilder.h"
#include "support/ZipWriter.h"
#include "tools/Checker.h"
#include "tools/PuzzleSource.h"
#include "tools/Regions.h"
#include "tools/TerminalText.h"

namespace tintaro::test {
namespace {

std::string AsString(const Bytes& b) { return std::string(b.begin(), b.end()); }

// 60 x 40: a frame at 4 ... 55 x 4 ... 35 split at x = 30 into a left and a
// right box; the ring outside the frame is the background.
std::vector<uint32_t> BoxesPixels() {
  std::vector<uint32_t> px(60 * 40, 0xFFFFFF);
  for (int y = 4; y <= 35; ++y)
    for (int x = 4; x <= 55; ++x)
      if (x == 4 || x == 55 || y == 4 || y == 35 || x == 30) px[y * 60 + x] = 0;
  return px;
}

// A clue showing the whole 60 x 40 picture in a grey frame, with the box
// x0 ... x1, y0 ... y1 in its place: what a player needs to find the target.
std::string FramedClue(int x0, int y0, int x1, int y1) {
  std::vector<uint32_t> px(62 * 42, 0xA0A0A0);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 60; ++x)
      px[static_cast<size_t>((y + 1) * 62 + x + 1)] = x >= x0 && x <= x1 && y >= y0 && y <= y1 ? 0x606060 : 0xFFFFFF;
  return AsString(BuildBmp(62, 42, px));
}

struct Puzzle {
  std::vector<uint32_t> pixels = BoxesPixels();
  SolutionBuilder solution = SolutionBuilder().Header(0, 0).Target(17, 20).Stray(42, 20);
  bool picture = true, trs = true, clue = true;
  std::string clueBytes = FramedClue(5, 5, 29, 34);

  std::string Write(const TempFolder& dir) const {
    ZipWriter zip;
    if (picture) zip.Add("pic.bmp", AsString(BuildBmp(60, 40, pixels)));
    if (trs) zip.Add("pic.trs", AsString(solution.Bytes()));
    if (clue) zip.Add("spipic.bmp", clueBytes);
    const std::string path = dir.File("pic.tro");
    EXPECT_TRUE(zip.WriteTo(path));
    return path;
  }
};

TEST(TromakeCheck, AHandMadePuzzlePassesAndIsDescribed) {
  TempFolder dir;
  const std::string path = Puzzle().Write(dir);
  const Outcome check = Tromake(dir, "check " + path);
  EXPECT_EQ(check.status, 0) << check.err;
  EXPECT_NE(check.out.find("1 targets, 1 strays, solved by playing"), std::string::npos) << check.out;
  const Outcome info = Tromake(dir, "info --json " + path);
  EXPECT_EQ(info.status, 0) << info.err;
  EXPECT_NE(info.out.find("\"targets\": [[17, 20]]"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("\"width\": 60"), std::string::npos) << info.out;
}

TEST(TromakeCheck, EachFaultAPlayerWouldMeetIsReportedOnItsOwnLine) {
  struct Case {
    const char* fault;
    std::function<void(Puzzle&)> breakIt;
  };
  const std::vector<Case> cases = {
      {"no puzzle picture entry", [](Puzzle& p) { p.picture = false; }},
      {"no solution entry pic.trs", [](Puzzle& p) { p.trs = false; }},
      {"no clue entry spipic.bmp", [](Puzzle& p) { p.clue = false; }},
      {"the clue picture cannot be loaded: Bitmap image is not valid", [](Puzzle& p) { p.clueBytes = "not a bitmap at all"; }},
      {"grey pixels beside its black lines", [](Puzzle& p) { p.pixels[20 * 60 + 31] = 0x7F7F7F; }},
      {"the solution file is cut short", [](Puzzle& p) { p.solution.Truncate(1); }},
      {"header counts 2 targets and -1 strays, but its records hold 1 and 0",
       [](Puzzle& p) { p.solution = SolutionBuilder().Header(1, -2).Target(17, 20); }},
      {"header counts 1 targets and 1 strays, but its records hold 2 and 0",
       [](Puzzle& p) { p.solution = SolutionBuilder().Header(0, 0).Target(17, 20).Target(42, 20); }},
      {"target 1 at 30,20 lies on a black line", [](Puzzle& p) { p.solution = SolutionBuilder().Header(0, -1).Target(30, 20); }},
      {"stray 1 at 60,20 lies outside the picture",
       [](Puzzle& p) { p.solution = SolutionBuilder().Header(0, 0).Target(17, 20).Stray(60, 20); }},
      {"(two targets in one region)", [](Puzzle& p) { p.solution = SolutionBuilder().Header(1, -1).Target(17, 20).Target(10, 10); }},
      {"(a target and a stray in one region)",
       [](Puzzle& p) { p.solution = SolutionBuilder().Header(0, 0).Target(17, 20).Stray(10, 30); }},
      {"lies in the background", [](Puzzle& p) { p.solution = SolutionBuilder().Header(0, -1).Target(1, 1); }},
      {"too small to click (largest square 7 x 7",
       [](Puzzle& p) {
         for (int i = 9; i <= 17; ++i) p.pixels[9 * 60 + i] = p.pixels[17 * 60 + i] = p.pixels[i * 60 + 9] = p.pixels[i * 60 + 17] = 0;
         p.solution = SolutionBuilder().Header(0, -1).Target(13, 13);
       }},
      {"only through a one-pixel gap in a line at 30,20",
       [](Puzzle& p) {
         p.pixels[20 * 60 + 30] = 0xFFFFFF;
         p.solution = SolutionBuilder().Header(0, -1).Target(17, 20);
       }},
  };
  for (const Case& c : cases) {
    TempFolder dir;
    Puzzle p;
    c.breakIt(p);
    const std::string path = p.Write(dir);
    const Outcome r = Tromake(dir, "check " + path);
    EXPECT_EQ(r.status, 1) << c.fault;
    EXPECT_NE(r.err.find("tromake: " + path + ": "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(c.fault), std::string::npos) << c.fault << "\n" << r.err;
  }
}

// A picture larger than the picture area is a fault whatever its pixels
// hold: check says so alone and goes through none of them (an allowed
// 8192 x 8192 picture took seconds and a GiB), and info reads only headers.
TEST(TromakeCheck, APictureLargerThanThePictureAreaIsOneFaultReadFromItsHeader) {
  TempFolder dir;
  Bytes header = BuildBmp(1, 1, {0xFFFFFF});
  header.resize(54);  // the pixels are cut off: the loader would read them black
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) header[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
  };
  put32(18, 8192);
  put32(22, 8192);
  ZipWriter zip;
  zip.Add("big.bmp", AsString(header));
  zip.Add("big.trs", AsString(SolutionBuilder().Header(0, -1).Target(1, 1).Bytes()));
  zip.Add("spibig.bmp", AsString(BuildBmp(4, 4, std::vector<uint32_t>(16, 0x808080))));
  const std::string path = dir.File("big.tro");
  ASSERT_TRUE(zip.WriteTo(path));
  const Outcome check = Tromake(dir, "check " + path);
  EXPECT_EQ(check.status, 1);
  EXPECT_EQ(check.err, "tromake: " + path + ": the picture, 8192 x 8192, does not fit the 649 x 489 picture area: "
                       "the player would see only part of it, with scroll bars\n");
  const Outcome info = Tromake(dir, "info --json " + path);
  EXPECT_NE(info.out.find("\"width\": 8192,\n  \"height\": 8192"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("\"clue\": {\"width\": 4, \"height\": 4}"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("\"targets\": [[1, 1]]"), std::string::npos) << info.out;
}

TEST(TromakeCheck, ATargetRegionOfExactlyEightByEightIsLargeEnough) {
  TempFolder dir;
  Puzzle p;
  for (int i = 9; i <= 18; ++i) p.pixels[9 * 60 + i] = p.pixels[18 * 60 + i] = p.pixels[i * 60 + 9] = p.pixels[i * 60 + 18] = 0;
  p.solution = SolutionBuilder().Header(0, -1).Target(13, 13);
  p.clueBytes = FramedClue(10, 10, 17, 17);
  const Outcome r = Tromake(dir, "check " + p.Write(dir));
  EXPECT_EQ(r.status, 0) << r.err;
}

TEST(TromakeCheck, FilesThatAreNoPuzzleArchiveGiveOneClearLine) {
  TempFolder dir;
  const std::string text = dir.Write("notes.tro", ToBytes("just some text, long enough to look for a zip end record"));
  const std::vector<std::pair<std::string, std::string>> cases = {
      {text, "not a zip archive"}, {dir.Path(), "not a regular file"}, {dir.File("missing.tro"), "cannot open the file"}};
  for (const auto& [path, fault] : cases) {
    const Outcome r = Tromake(dir, "check " + path);
    EXPECT_EQ(r.status, 1) << path;
    EXPECT_EQ(r.err, "tromake: " + path + ": " + fault + "\n");
  }
}

// A source whose hidden shape is a filled disc on a mosaic of 12 cells.
void WriteSource(const TempFolder& dir, const std::string& extra = "") {
  dir.Write("disc.svg", ToBytes("<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 300 200\">"
                                "<circle cx=\"150\" cy=\"100\" r=\"70\" fill=\"black\"/></svg>"));
  dir.Write("disc.puzzle", ToBytes("# a disc\nname Disc\nsize 300 200\nmosaic 12\nseed 9\nhidden disc.svg\n" + extra));
}

TEST(TromakeBuild, TheSameSourceGivesTheSameBytesInAnyTimeZoneAndPassesCheck) {
  TempFolder dir;
  WriteSource(dir, "hints 2\nmode crazy\noutline trace\n");
  ASSERT_EQ(Tromake(dir, "build " + dir.File("disc.puzzle") + " -o " + dir.File("a.tro")).status, 0);
  ASSERT_EQ(Tromake(dir, "build " + dir.File("disc.puzzle") + " -o " + dir.File("b.tro"), "TZ=Asia/Tokyo").status, 0);
  EXPECT_EQ(ReadFileBytes(dir.File("a.tro")), ReadFileBytes(dir.File("b.tro")));
  const Outcome check = Tromake(dir, "check " + dir.File("a.tro"));
  EXPECT_EQ(check.status, 0) << check.err;
  const Outcome info = Tromake(dir, "info " + dir.File("a.tro"));
  EXPECT_NE(info.out.find("hints: 2\n  mode: crazy"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("Disc.bmp"), std::string::npos) << info.out;
}

TEST(TromakeBuild, ABitmapDrawingWithAGapIsRepairedBeforeItsPointsAreChosen) {
  TempFolder dir;
  std::vector<uint32_t> pixels = BoxesPixels();
  pixels[20 * 60 + 30] = 0xFFFFFF;  // the left and right box would be one region
  pixels[10 * 60 + 40] = 0x404040;  // dark grey is cut to black
  dir.Write("boxes.bmp", BuildBmp(60, 40, pixels));
  dir.Write("boxes.puzzle", ToBytes("drawing boxes.bmp\ntarget 17 20\n"));
  const Outcome build = Tromake(dir, "build " + dir.File("boxes.puzzle") + " -o " + dir.File("boxes.tro"));
  ASSERT_EQ(build.status, 0) << build.err;
  const Outcome check = Tromake(dir, "check " + dir.File("boxes.tro"));
  EXPECT_EQ(check.status, 0) << check.err;
  EXPECT_NE(check.out.find("60 x 40, 1 targets, 1 strays"), std::string::npos) << check.out;
  dir.Write("online.puzzle", ToBytes("drawing boxes.bmp\ntarget 4 20\n"));
  const Outcome online = Tromake(dir, "build " + dir.File("online.puzzle") + " -o " + dir.File("x.tro"));
  EXPECT_EQ(online.err, "tromake: " + dir.File("online.puzzle") + ": target 4,20 lies on a black line\n");
}

TEST(TromakeCheck, ReportsHowMuchOfTheHiddenOutlineOnlyTheHiddenPictureDrew) {
  struct Case {
    const char* built;    // source lines the puzzle is built with
    const char* checked;  // source lines check is given
    std::string options;
    int status;
    const char* says;
  };
  const Case cases[] = {
      {"", "", "--max-given-away 0", 0, "outline given away: 0 %"},
      // A drawn outline with no decoy figure around it singles the disc out.
      {"outline trace\n", "outline trace\n", "", 1, "outline given away: "},
      {"outline trace\n", "outline trace\n", "--max-given-away 30", 1, "% of the hidden outline (at most 30 % allowed)"},
      {"", "outline trace\n", "", 1, "its picture is not the one " },
      {"outline part 40\n", "outline part 40\n", "", 1, "outline given away: "},
  };
  std::map<std::string, int> givenAway;  // by the lines built with, measured without a limit
  for (const Case& c : cases) {
    TempFolder dir;
    WriteSource(dir, c.built);
    ASSERT_EQ(Tromake(dir, "build " + dir.File("disc.puzzle") + " -o " + dir.File("disc.tro")).status, 0);
    WriteSource(dir, c.checked);
    // Untraced, the disc cannot be reasoned out: that is not what is measured here.
    const Outcome r = Tromake(dir, "check " + dir.File("disc.tro") + " --source " + dir.File("disc.puzzle") + " " +
                                       c.options + " --max-wrong 100 --min-iou 0");
    EXPECT_EQ(r.status, c.status) << c.built << c.options << r.err;
    EXPECT_NE((r.out + r.err).find(c.says), std::string::npos) << r.out << r.err;
    if (const size_t at = r.out.find("given away: "); at != std::string::npos && c.options.empty())
      givenAway[c.built] = std::stoi(r.out.substr(at + 12));
  }
  // Traced, most of the disc's outline is drawn for it alone; traced in part,
  // some of it and clearly less.
  EXPECT_GT(givenAway["outline trace\n"], 50);
  EXPECT_GT(givenAway["outline part 40\n"], 0);
  EXPECT_LT(givenAway["outline part 40\n"], givenAway["outline trace\n"] * 3 / 4);
}

// The hidden disc among decoy figures drawn the same way is reasoned out and
// not singled out; traced alone, its outline gives it away; with a hole in
// its silhouette too thin for a cell (an engraving), the hole is filled.
TEST(TromakeCheck, AFigureAmongDecoysIsFoundWithTheClueAndNotWithoutIt) {
  struct Case {
    const char* lines;
    int status;
    std::vector<std::string> says;
  };
  const Case cases[] = {
      {"figure box.svg 0.5 0.3 0.4\nfigure ring.svg 0.6 0.65 0.6\n", 0,
       {"decoy figures: 2", "singled out: no", "reasoned out: ", "recognisable: IoU "}},
      {"", 1, {"decoy figures: 0", "singled out: yes", "with no decoy figure to hide among"}},
  };
  for (const Case& c : cases) {
    TempFolder dir;
    const std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 100 100\">";
    // The disc has a slit 7.4 units wide: 13 pixels at this size, too thin
    // for a cell once its lines are drawn.
    dir.Write("disc.svg", ToBytes(svg + "<path fill-rule=\"evenodd\" d=\"M50 5 A45 45 0 1 1 49.9 5 Z M30 46.3 H70 V53.7 H30 Z\"/></svg>"));
    dir.Write("box.svg", ToBytes(svg + "<rect x=\"10\" y=\"20\" width=\"80\" height=\"60\"/></svg>"));
    dir.Write("ring.svg", ToBytes(svg + "<path fill-rule=\"evenodd\" d=\"M50 5 A45 45 0 1 1 49.9 5 Z M50 35 A15 15 0 1 1 49.9 35 Z\"/></svg>"));
    dir.Write("fig.puzzle", ToBytes("name Fig\nsize 400 300\nmosaic 24\nseed 3\nhidden disc.svg\nplace 0.6 0.45 0.5\n"
                                    "outline trace\n" + std::string(c.lines)));
    const Outcome build = Tromake(dir, "build " + dir.File("fig.puzzle") + " -o " + dir.File("fig.tro"));
    ASSERT_EQ(build.status, 0) << build.err;
    const Outcome r = Tromake(dir, "check " + dir.File("fig.tro") + " --source " + dir.File("fig.puzzle"));
    EXPECT_EQ(r.status, c.status) << c.lines << r.out << r.err;
    for (const std::string& line : c.says) EXPECT_NE((r.out + r.err).find(line), std::string::npos) << line << "\n" << r.out << r.err;
    // Among figures, the slit is filled, so the picture is the one the disc
    // without it makes; the ring's hole is wide enough for cells and stays.
    if (c.status != 0) continue;
    dir.Write("disc.svg", ToBytes(svg + "<path d=\"M50 5 A45 45 0 1 1 49.9 5 Z\"/></svg>"));
    ASSERT_EQ(Tromake(dir, "build " + dir.File("fig.puzzle") + " -o " + dir.File("whole.tro")).status, 0);
    const std::string engine = (std::filesystem::path(TROMAKE).parent_path() / ".." / "Tintaro").string();
    const tools::Inspection slit = tools::InspectArchive(dir.File("fig.tro"), engine, /*play=*/false);
    const tools::Inspection whole = tools::InspectArchive(dir.File("whole.tro"), engine, /*play=*/false);
    ASSERT_GT(slit.width, 0) << (slit.faults.empty() ? "" : slit.faults[0]);
    EXPECT_EQ(slit.picture.pixels, whole.picture.pixels);
  }
}

// Untraced, a region is a target when most of it is hidden: the left box
// 3/10 hidden is not, the right box 7/10 hidden is.
TEST(TromakeBuild, AnUntracedRegionIsATargetWhenMostOfItIsHidden) {
  TempFolder dir;
  dir.Write("boxes.bmp", BuildBmp(60, 40, BoxesPixels()));
  // The boxes' insides are rows 5 ... 34; 9 and 21 of those 30 rows hidden.
  std::vector<uint32_t> mask(60 * 40, 0xFFFFFF);
  for (int y = 5; y < 35; ++y)
    for (int x = 5; x < 55; ++x)
      if (x != 30 && y < (x < 30 ? 14 : 26)) mask[static_cast<size_t>(y * 60 + x)] = 0;
  dir.Write("mask.bmp", BuildBmp(60, 40, mask));
  dir.Write("boxes.puzzle", ToBytes("drawing boxes.bmp\nhidden mask.bmp\n"));
  ASSERT_EQ(Tromake(dir, "build " + dir.File("boxes.puzzle") + " -o " + dir.File("b.tro")).status, 0);
  const Outcome info = Tromake(dir, "info --json " + dir.File("b.tro"));
  const size_t at = info.out.find("\"targets\": [[");
  ASSERT_NE(at, std::string::npos) << info.out;
  EXPECT_GT(std::stoi(info.out.substr(at + 13)), 30) << info.out;
  EXPECT_NE(info.out.find("]],\n  \"strays\""), std::string::npos) << "one target: " << info.out;
}

// Traced in part, 40 % of the cells the outline crosses are cut along it:
// on a mosaic of about 60 cells that gives away between a quarter and a half
// of what a full trace does.
TEST(TromakeCheck, APartTraceGivesAwayPartOfWhatAFullTraceDoes) {
  std::map<std::string, int> givenAway;
  for (const std::string outline : {"trace", "part 40"}) {
    TempFolder dir;
    dir.Write("disc.svg", ToBytes("<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 600 400\">"
                                  "<circle cx=\"300\" cy=\"200\" r=\"150\" fill=\"black\"/></svg>"));
    dir.Write("disc.puzzle", ToBytes("size 600 400\nmosaic 60\nseed 3\nhidden disc.svg\noutline " + outline + "\n"));
    ASSERT_EQ(Tromake(dir, "build " + dir.File("disc.puzzle") + " -o " + dir.File("disc.tro")).status, 0);
    // A drawn outline with no decoy figure singles the disc out: a fault,
    // but the share is measured all the same.
    const Outcome r = Tromake(dir, "check " + dir.File("disc.tro") + " --source " + dir.File("disc.puzzle"));
    const size_t at = r.out.find("given away: ");
    ASSERT_NE(at, std::string::npos) << r.out << r.err;
    givenAway[outline] = std::stoi(r.out.substr(at + 12));
  }
  EXPECT_GE(givenAway["part 40"] * 4, givenAway["trace"]) << givenAway["part 40"] << " of " << givenAway["trace"];
  EXPECT_LE(givenAway["part 40"] * 2, givenAway["trace"]) << givenAway["part 40"] << " of " << givenAway["trace"];
}

// A 240 x 160 mask: a disc and a box beside it, moved right by `dx`.
std::vector<uint32_t> BlobMask(int dx) {
  std::vector<uint32_t> px(240 * 160, 0xFFFFFF);
  for (int y = 0; y < 160; ++y)
    for (int x = 0; x < 240; ++x)
      if ((x - 90 - dx) * (x - 90 - dx) + (y - 80) * (y - 80) < 50 * 50 || (x >= 120 + dx && x < 170 + dx && y >= 50 && y < 120))
        px[static_cast<size_t>(y * 240 + x)] = 0;
  return px;
}

TEST(TromakeBuild, UntracedMosaicTargetsAreTheCellsMostlyInsideAndNoLineFollowsTheShape) {
  TempFolder dir;
  const std::string engine = (std::filesystem::path(TROMAKE).parent_path() / ".." / "Tintaro").string();
  std::vector<Picture> pictures;
  for (int dx : {0, 40}) {
    const std::string stem = "blob" + std::to_string(dx);
    const std::vector<uint32_t> mask = BlobMask(dx);
    dir.Write(stem + ".bmp", BuildBmp(240, 160, mask));
    dir.Write(stem + ".puzzle", ToBytes("size 240 160\nmosaic 40\nseed 1\ndecoys 3\ndetail 2\nhidden " + stem + ".bmp\n"));
    const Outcome build = Tromake(dir, "build " + dir.File(stem + ".puzzle") + " -o " + dir.File(stem + ".tro"));
    ASSERT_EQ(build.status, 0) << build.err;
    const tools::Inspection in = tools::InspectArchive(dir.File(stem + ".tro"), engine, /*play=*/false);
    ASSERT_TRUE(in.faults.empty()) << in.faults[0];
    // The regions mostly inside the mask, by counting its pixels in each.
    const tools::RegionMap map = tools::FindRegions(in.picture);
    std::vector<int64_t> inside(map.regions.size(), 0);
    for (size_t i = 0; i < mask.size(); ++i)
      if (mask[i] == 0 && map.label[i] >= 0) ++inside[static_cast<size_t>(map.label[i])];
    std::set<int32_t> expected, actual;
    for (size_t r = 0; r < map.regions.size(); ++r)
      if (static_cast<int32_t>(r) != map.At(1, 1) && inside[r] * 2 > map.regions[r].area) expected.insert(static_cast<int32_t>(r));
    for (const tools::SeedPoint& t : in.targets) actual.insert(map.At(t.x, t.y));
    EXPECT_GE(expected.size(), 4u) << dx;
    EXPECT_EQ(actual, expected) << dx;
    pictures.push_back(in.picture);
  }
  // The lines are the same wherever the shape lies (this seed has crumbs that
  // the lines pinch off, on both sides of the shape).
  EXPECT_EQ(pictures[0].pixels, pictures[1].pixels);
}

TEST(TromakeGenerate, AFixedSeedGivesOnePuzzleThatPassesCheck) {
  TempFolder dir, other;
  const std::string args = " --seed 7 --size 320x240 --regions 30 --shape star -o ";
  ASSERT_EQ(Tromake(dir, "generate" + args + dir.File("star.tro")).status, 0);
  ASSERT_EQ(Tromake(dir, "generate" + args + other.File("star.tro")).status, 0);
  EXPECT_EQ(ReadFileBytes(dir.File("star.tro")), ReadFileBytes(other.File("star.tro")));
  const Outcome check = Tromake(dir, "check " + dir.File("star.tro"));
  EXPECT_EQ(check.status, 0) << check.err;
}

TEST(TromakeBuild, BadSourcesAndArgumentsFailWithOneLineAndNoOutput) {
  TempFolder dir;
  WriteSource(dir, "colour red\n");
  Outcome r = Tromake(dir, "build " + dir.File("disc.puzzle") + " -o " + dir.File("x.tro"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "tromake: " + dir.File("disc.puzzle") + ": line 7: unknown key 'colour'\n");
  dir.Write("nohidden.puzzle", ToBytes("size 300 200\nmosaic 12\nhidden gone.svg\n"));
  r = Tromake(dir, "build " + dir.File("nohidden.puzzle") + " -o " + dir.File("x.tro"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("gone.svg: cannot open"), std::string::npos) << r.err;
  EXPECT_FALSE(FileExists(dir.File("x.tro")));
  EXPECT_EQ(Tromake(dir, "generate --shape blob -o " + dir.File("x.tro")).status, 2);
  EXPECT_EQ(Tromake(dir, "frobnicate").status, 2);
}

// -o renames a finished file into place: a FIFO or device there would be
// replaced by a regular file. A link to a regular file is replaced like a
// file; no temporary file is left beside the output either way.
TEST(TromakeBuild, AnOutputThatIsNoRegularFileIsRefusedAndLeftAsItIs) {
  namespace fs = std::filesystem;
  struct Case {
    const char* what;
    std::function<void(const std::string& out)> plant;
    bool refused;
  };
  const std::vector<Case> cases = {
      {"a FIFO", [](const std::string& out) { ASSERT_EQ(mkfifo(out.c_str(), 0600), 0); }, true},
      {"a folder", [](const std::string& out) { fs::create_directory(out); }, true},
      {"a link to a FIFO", [](const std::string& out) {
         mkfifo((out + ".fifo").c_str(), 0600);
         fs::create_symlink(out + ".fifo", out);
       }, true},
      {"a link to a file", [](const std::string& out) {
         std::ofstream(out + ".old") << "old";
         fs::create_symlink(out + ".old", out);
       }, false},
      {"a file", [](const std::string& out) { std::ofstream(out) << "old"; }, false},
  };
  for (const std::string& command : {std::string("build"), std::string("generate")}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(command + " over " + c.what);
      TempFolder dir;
      WriteSource(dir);
      const std::string out = dir.File("out.tro");
      c.plant(out);
      const std::vector<std::string> before = dir.Names();
      const Outcome r = Tromake(dir, command == "build" ? "build " + dir.File("disc.puzzle") + " -o " + out
                                                        : "generate --size 200x150 --regions 12 -o " + out);
      const fs::file_status now = fs::symlink_status(out);
      if (c.refused) {
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("not a regular file"), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_FALSE(fs::is_regular_file(now));
      } else {
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(fs::is_regular_file(now));
        // The written archive is whole; how fair the plain disc is, is not the point here.
        EXPECT_EQ(Tromake(dir, "check " + out + " --max-wrong 100 --min-iou 0").status, 0);
      }
      std::vector<std::string> after = dir.Names();
      after.erase(std::remove_if(after.begin(), after.end(), [](const std::string& n) { return n.ends_with(".txt"); }),
                  after.end());
      EXPECT_EQ(after, before);
    }
  }
}

TEST(PuzzleSource, RefusesHostileOrIncompleteSourcesWithTheLine) {
  std::string sevenFigures;
  for (int i = 0; i < 7; ++i) sevenFigures += "figure a.svg 0.5 0.5 0.5\n";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"size 300 200\nmosaic 5\n", "needs 'hidden' or 'target' points"},
      {"mosaic 5\nhidden a.svg\n", "needs 'size'"},
      {"size 300 200\ndrawing a.svg\ntarget 300 10\n", "point 300,10 lies outside the picture"},
      {"size 15 200\n", "line 1: 15 is outside 16 ... 4096"},
      {"size 300 200\nsize 300 200\n", "line 2: 'size' given twice"},
      {"size 300 99999999999999999999\n", "is not a whole number"},
      {"size 300 200\nmosaic 1001\n", "line 2: 1001 is outside 1 ... 1000"},
      {"name spiral\n", "not starting with \"spi\""},
      {"name ../up\n", "'name' takes one plain name"},
      {"drawing lines.png\n", "'lines.png' is not a .bmp or .svg file"},
      {"hints 0\n", "'hints' takes 1 ... 1000 or 'withheld'"},
      {"hints 3\nsolution withheld\n", "cannot be combined"},
      {"strays none\nstray 1 1\n", "'stray' after 'strays none'"},
      {"mode silly\n", "'mode' takes normal, crazy, insane or any"},
      {"outline around\n", "'outline' takes none, trace, or part with a share of 1 ... 99 (percent)"},
      {"outline part 100\n", "'outline part' takes a share of 1 ... 99 (percent)"},
      {"detail 4\n", "line 1: 4 is outside 1 ... 3"},
      {"place 1.5 0.5 0.5\n", "'place' takes SCALE X Y"},
      {"place 0.5 0.5\n", "'place' takes SCALE X Y"},
      {"figure a.bmp 0.5 0.5 0.5\n", "'figure' takes FILE.svg SCALE X Y"},
      {"figure ../a.svg 0.5 0.5 0.5\n", "'../a.svg': "},
      {"figure a.svg 0.5 -0.1 0.5\n", "'figure' takes FILE.svg SCALE X Y"},
      {"size 300 200\ndrawing d.svg\nhidden a.svg\nfigure a.svg 0.5 0.5 0.5\n", "'figure' outlines are drawn across a 'mosaic'"},
      {"size 300 200\nmosaic 9\nhidden a.bmp\nplace 0.5 0.5 0.5\n", "'place' needs an SVG 'hidden' shape"},
      {"size 300 200\nmosaic 9\nhidden a.svg\ndecoys 10\n" + sevenFigures, "at most 16 'decoys' and 'figure' lines together"},
      {"clue-frame yes\n", "'clue-frame' takes on or off"},
      {"size 300 200\x01\n", "line 1: control character"},
  };
  for (const auto& [text, error] : cases) {
    const tools::ParseResult r = tools::ParsePuzzleSource(text);
    EXPECT_FALSE(r.source) << text;
    EXPECT_NE(r.error.find(error), std::string::npos) << text << " -> " << r.error;
  }
  const tools::ParseResult ok = tools::ParsePuzzleSource(
      "# comment\r\nNAME Cat\nsize 600 450 # inline\nmosaic 36\nhidden cat.svg\nhints withheld\nmode insane\n"
      "order columns\nstray 10 10\nstray 20 20\n");
  ASSERT_TRUE(ok.source) << ok.error;
  EXPECT_EQ(ok.source->name, "Cat");
  EXPECT_EQ(*ok.source->width, 600);
  EXPECT_EQ(ok.source->hints, tools::HintSetting::Withheld);
  EXPECT_EQ(ok.source->mode, tools::ModeLock::Insane);
  EXPECT_EQ(ok.source->strays.size(), 2u);
  const tools::ParseResult figures = tools::ParsePuzzleSource(
      "size 600 450\nmosaic 30\nhidden cat.svg\nplace 0.6 0.25 0.75\nclue-frame on\n"
      "figure dog.svg 0.5 0.7 0.3\nfigure owl.svg 1 0 1\n");
  ASSERT_TRUE(figures.source) << figures.error;
  EXPECT_DOUBLE_EQ(figures.source->place.x, 0.25);
  EXPECT_TRUE(figures.source->clueFrame);
  ASSERT_EQ(figures.source->figures.size(), 2u);
  EXPECT_EQ(figures.source->figures[1].file, "owl.svg");
  EXPECT_DOUBLE_EQ(figures.source->figures[1].place.scale, 1);
}

std::string Base64(const std::string& bytes) {
  static const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t n = std::min<size_t>(3, bytes.size() - i);
    uint32_t v = 0;
    for (size_t k = 0; k < 3; ++k) v = v << 8 | (k < n ? static_cast<uint8_t>(bytes[i + k]) : 0u);
    for (size_t k = 0; k < 4; ++k) out += k <= n ? digits[(v >> (18 - 6 * k)) & 63] : '=';
  }
  return out;
}

// Everything a source names ends up in a puzzle meant for sharing: only
// regular files inside the source's folder, and SVG drawings that link to no
// file, are read. A FIFO must not hang the build. One line, no output.
TEST(TromakeBuild, ASourceReadsOnlyRegularFilesInsideItsOwnFolder) {
  namespace fs = std::filesystem;
  const std::string disc = "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 300 200\">"
                           "<circle cx=\"150\" cy=\"100\" r=\"70\"/></svg>";
  const std::string black = AsString(BuildBmp(4, 4, std::vector<uint32_t>(16, 0)));
  // @ stands for the folder beside the source's, which holds disc.svg and black.bmp.
  auto linking = [](const std::string& href, const std::string& prolog = "") {
    return prolog + "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
                    "viewBox=\"0 0 10 10\"><image width=\"10\" height=\"10\" xlink:href=\"" + href + "\"/></svg>";
  };
  struct Case {
    std::string lines;                                // after "size" and "mosaic"
    std::function<void(const fs::path& src)> plant;  // besides disc.svg
    std::string fault;                                // "" when the build succeeds
  };
  const auto none = [](const fs::path&) {};
  const auto clue = [](std::string svg) { return [svg](const fs::path& src) { std::ofstream(src / "clue.svg") << svg; }; };
  const std::vector<Case> cases = {
      {"hidden @/disc.svg", none, "an absolute path"},
      {"hidden ../outside/disc.svg", none, "'..' leads out of the source's folder"},
      {"hidden art/../../outside/disc.svg", [](const fs::path& src) { fs::create_directory(src / "art"); },
       "'..' leads out of the source's folder"},
      {"hidden link.svg", [](const fs::path& src) { fs::create_symlink("../outside/disc.svg", src / "link.svg"); },
       "link.svg: a link"},
      {"hidden out/disc.svg", [](const fs::path& src) { fs::create_directory_symlink("../outside", src / "out"); },
       "out/disc.svg: lies outside the source's folder"},
      {"hidden pipe.svg", [](const fs::path& src) { mkfifo((src / "pipe.svg").c_str(), 0600); },
       "pipe.svg: not a regular file"},
      {"hidden disc.svg", [](const fs::path& src) { fs::remove(src / "p.puzzle"), mkfifo((src / "p.puzzle").c_str(), 0600); },
       "p.puzzle: not a regular file"},
      {"hidden disc.svg\nclue clue.svg", clue(linking("@/black.bmp")), "clue.svg: refers to another file"},
      {"hidden disc.svg\nclue clue.svg", clue(linking("file://@/black.bmp")), "clue.svg: refers to another file"},
      {"hidden disc.svg\nclue clue.svg", clue(linking("black.bmp")), "clue.svg: refers to another file"},
      {"hidden disc.svg\nclue clue.svg", clue(linking("&pic;", "<!DOCTYPE svg [<!ENTITY pic \"@/black.bmp\">]>")),
       "clue.svg: refers to another file"},
      {"hidden disc.svg\nclue clue.svg", clue(linking("data:image/svg+xml;base64," + Base64(linking("black.bmp")))),
       "clue.svg: an inline picture that is not PNG, JPEG, GIF or BMP"},
      {"hidden art/disc.svg\nclue clue.svg",
       [&](const fs::path& src) {
         fs::create_directory(src / "art");
         fs::copy_file(src / "disc.svg", src / "art" / "disc.svg");
         clue(linking("data:image/bmp;base64," + Base64(black)))(src);
       },
       ""},
  };
  for (const Case& c : cases) {
    TempFolder dir;
    const fs::path src = fs::path(dir.Path()) / "src", outside = fs::path(dir.Path()) / "outside";
    fs::create_directory(src);
    fs::create_directory(outside);
    auto atOutside = [&](std::string text) {
      for (size_t at; (at = text.find('@')) != std::string::npos;) text.replace(at, 1, outside.string());
      return text;
    };
    std::ofstream(outside / "disc.svg") << disc;
    std::ofstream(outside / "black.bmp") << black;
    std::ofstream(src / "disc.svg") << disc;
    std::ofstream(src / "p.puzzle") << "size 300 200\nmosaic 12\n" + atOutside(c.lines) + "\n";
    c.plant(src);
    if (fs::exists(src / "clue.svg")) dir.Write("src/clue.svg", ToBytes(atOutside(Text(dir.File("src/clue.svg")))));
    // The guard only ends a build that would wait for a writer forever.
    const Outcome r = Tromake(dir, "build " + (src / "p.puzzle").string() + " -o " + dir.File("x.tro"), "timeout 60");
    if (c.fault.empty()) {
      EXPECT_EQ(r.status, 0) << c.lines << "\n" << r.err;
      continue;
    }
    EXPECT_EQ(r.status, 1) << c.lines;
    EXPECT_EQ(r.err.rfind("tromake: " + (src / "p.puzzle").string() + ": ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(c.fault), std::string::npos) << c.lines << "\n" << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_FALSE(FileExists(dir.File("x.tro"))) << c.lines;
  }
}

// check, info and render extract into the temporary folder: one that is
// missing, a file or relative is one line, not an abort.
TEST(TromakeCheck, AnUnusableTemporaryFolderIsOneLine) {
  TempFolder dir;
  const std::string puzzle = Puzzle().Write(dir);
  const std::string file = dir.Write("file", ToBytes("x"));
  for (const std::string& tmp : {dir.File("missing"), file, std::string("relative")}) {
    for (const std::string& command : {"check " + puzzle, "info " + puzzle, "render " + puzzle + " -o " + dir.File("r.png")}) {
      const Outcome r = Tromake(dir, command, "TMPDIR=" + tmp);
      EXPECT_EQ(r.status, 1) << tmp << " " << command;
      EXPECT_EQ(r.err.rfind("tromake: TMPDIR=" + tmp + ": ", 0), 0u) << r.err;
      EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
  }
}

TEST(TerminalText, ControlsAndMalformedBytesAreEscapedForPlainTextAndJson) {
  struct Case {
    std::string in, plain, json;
  };
  const std::vector<Case> cases = {
      {"pic.bmp", "pic.bmp", "\"pic.bmp\""},
      {"\x1b]0;owned\x07", "\\x1b]0;owned\\x07", "\"\\u001b]0;owned\\u0007\""},
      {"a\\b\"c", "a\\\\b\"c", "\"a\\\\b\\\"c\""},
      {"K\xc3\xa4tzchen \xe7\x8c\xab", "K\xc3\xa4tzchen \xe7\x8c\xab", "\"K\xc3\xa4tzchen \xe7\x8c\xab\""},
      {"\x7f", "\\x7f", "\"\\u007f\""},
      {"\xc2\x9b" "31m", "\\u009b31m", "\"\\u009b31m\""},            // C1 control sequence introducer
      {"exe.\xe2\x80\xaetxt", "exe.\\u202etxt", "\"exe.\\u202etxt\""},  // right-to-left override
      // Isolates, the Arabic letter mark, the line separator and the byte order mark.
      {"a\xe2\x81\xa6" "b\xe2\x81\xa9", "a\\u2066b\\u2069", "\"a\\u2066b\\u2069\""},
      {"\xe2\x81\xa7\xe2\x81\xa8", "\\u2067\\u2068", "\"\\u2067\\u2068\""},
      {"\xd8\x9c" "x\xe2\x80\xa8" "y\xef\xbb\xbf", "\\u061cx\\u2028y\\ufeff", "\"\\u061cx\\u2028y\\ufeff\""},
      {"bad\xff", "bad\\xff", "\"bad\\ufffd\""},
      {"\xc0\xaf", "\\xc0\\xaf", "\"\\ufffd\\ufffd\""},            // overlong '/'
      {"\xed\xa0\x80", "\\xed\\xa0\\x80", "\"\\ufffd\\ufffd\\ufffd\""},  // a surrogate
      {"cut\xe2\x82", "cut\\xe2\\x82", "\"cut\\ufffd\\ufffd\""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(tools::PrintableText(c.in), c.plain);
    EXPECT_EQ(tools::JsonString(c.in), c.json);
  }
}

// Entry names reach the terminal through info's listing and check's faults.
TEST(TromakeInfo, EntryNamesReachTheTerminalEscaped) {
  TempFolder dir;
  const std::string path = dir.File("hostile.tro");
  ASSERT_TRUE(ZipWriter().Add("\x1b]0;owned\x07" "pic.bmp", "x").WriteTo(path));
  const Outcome info = Tromake(dir, "info " + path), json = Tromake(dir, "info --json " + path),
                check = Tromake(dir, "check " + path);
  EXPECT_NE(info.out.find("\\x1b]0;owned\\x07pic.bmp"), std::string::npos) << info.out;
  EXPECT_NE(json.out.find("\"\\u001b]0;owned\\u0007pic.bmp\""), std::string::npos) << json.out;
  EXPECT_NE(check.err.find("no solution entry \\x1b]0;owned\\x07pic.trs"), std::string::npos) << check.err;
  for (const std::string& text : {info.out, info.err, json.out, check.err})
    EXPECT_FALSE(std::any_of(text.begin(), text.end(), [](char c) { return c == '\x1b' || c == '\x07'; })) << text;
}

}  // namespace
}  // namespace tintaro::test
