// The simulated player on hand-worked puzzles, the same report for the same
// seed, what check makes of locked modes and of pictures too large to show,
// and what the contact sheet shows.
#include <gtest/gtest.h>

#include <QImage>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/ArchiveTestKit.h"
#include "support/BmpBuilder.h"
#include "support/SolutionBuilder.h"
#include "support/ZipWriter.h"
#include "tools/Checker.h"
#include "tools/PlaySimulation.h"

namespace tintaro::test {
namespace {

using tools::PlayReport;

struct Box {
  int left, top, right, bottom;  // the outline's lines, inclusive
};

// White, with each box's outline black; every box's middle is a target.
struct BoxPuzzle {
  int width, height;
  std::vector<Box> boxes;
  int modeSetting = 0;  // the option record's Y: -2 crazy, -3 insane

  std::vector<uint32_t> Pixels() const {
    std::vector<uint32_t> px(static_cast<size_t>(width) * height, 0xFFFFFF);
    for (const Box& b : boxes)
      for (int y = b.top; y <= b.bottom; ++y)
        for (int x = b.left; x <= b.right; ++x)
          if (x == b.left || x == b.right || y == b.top || y == b.bottom) px[static_cast<size_t>(y) * width + x] = 0;
    return px;
  }
  SolutionBuilder Solution() const {
    SolutionBuilder s;
    s.Header(static_cast<int32_t>(boxes.size()) - 1, -1, 0).Option(static_cast<int32_t>(boxes.size()), modeSetting);
    for (const Box& b : boxes) s.Target((b.left + b.right) / 2, (b.top + b.bottom) / 2);
    return s;
  }
  tools::PlayedFiles WriteFiles(const TempFolder& dir) const {
    dir.Write("pic.bmp", BuildBmp(width, height, Pixels()));
    Solution().WriteTo(dir.File("pic.trs"));
    return {dir.File("pic.tro"), dir.File("pic.bmp"), dir.File("pic.trs")};
  }
  std::string WriteArchive(const TempFolder& dir, const std::string& name) const {
    auto text = [](const std::vector<uint8_t>& b) { return std::string(b.begin(), b.end()); };
    ZipWriter zip;
    zip.Add("pic.bmp", text(BuildBmp(width, height, Pixels())));
    zip.Add("pic.trs", text(Solution().Bytes()));
    zip.Add("spipic.bmp", text(BuildBmp(4, 4, std::vector<uint32_t>(16, 0x808080))));
    EXPECT_TRUE(zip.WriteTo(dir.File(name)));
    return dir.File(name);
  }
};

// The two halves of 640 x 480: whichever is painted first, a flood takes it
// back within the half second before the other is painted.
const BoxPuzzle kHugeTargets{640, 480, {{2, 2, 320, 477}, {320, 2, 637, 477}}};
// Two 10 x 10 boxes: a flood lands in one about once in 3800, so the second
// click, at 1 s, wins nearly every game.
const BoxPuzzle kTinyTargets{640, 480, {{100, 100, 111, 111}, {300, 300, 311, 311}}};

// Forty 28 x 28 boxes in rows: floods take about nine a second, the player
// repaints two.
BoxPuzzle ManyTargets(int modeSetting) {
  BoxPuzzle p{640, 480, {}, modeSetting};
  for (int i = 0; i < 40; ++i) p.boxes.push_back({20 + i % 8 * 70, 20 + i / 8 * 80, 49 + i % 8 * 70, 49 + i / 8 * 80});
  return p;
}

std::string EngineDir() { return (std::filesystem::path(TROMAKE).parent_path() / ".." / "Tintaro").string(); }

TEST(SimulatedPlayer, LosesHugeTargetsToTheFloodsAndWinsTinyOnesAtTheSecondClick) {
  struct Case {
    const char* what;
    const BoxPuzzle& puzzle;
    PlayMode mode;
    int runs;  // few where every flood fills half the picture
    int won;
    int64_t medianMs;
  };
  const Case cases[] = {
      {"huge, insane", kHugeTargets, PlayMode::Insane, 2, 0, -1},
      {"huge, normal", kHugeTargets, PlayMode::Normal, 2, 2, 1000},
      {"tiny, insane", kTinyTargets, PlayMode::Insane, 100, 100, 1000},
      {"tiny, crazy", kTinyTargets, PlayMode::Crazy, 100, 100, 1000},
  };
  for (const Case& c : cases) {
    TempFolder dir;
    const PlayReport r = tools::PlayMany(c.puzzle.WriteFiles(dir), c.mode, tools::kDefaultPlaySeed, c.runs);
    EXPECT_EQ(r.won, c.won) << c.what;
    EXPECT_EQ(r.medianMs, c.medianMs) << c.what;
    EXPECT_FALSE(r.locked) << c.what;
  }
}

TEST(SimulatedPlayer, TheSameSeedGivesTheSameReportAndAnotherSeedOtherTimesOfDay) {
  // Six 40 x 40 boxes in Insane: floods take them about as fast as they are
  // painted, so some games are won, at times that vary.
  BoxPuzzle p{640, 480, {}};
  for (int i = 0; i < 6; ++i) p.boxes.push_back({50 + i % 3 * 200, 50 + i / 3 * 200, 91 + i % 3 * 200, 91 + i / 3 * 200});
  TempFolder dir;
  const tools::PlayedFiles files = p.WriteFiles(dir);
  auto play = [&](uint64_t seed) {
    const PlayReport r = tools::PlayMany(files, PlayMode::Insane, seed, 20);
    return tools::ReportLine(r);
  };
  const std::string first = play(7);
  EXPECT_EQ(play(7), first);
  EXPECT_NE(play(8), first);
}

// A locked puzzle must be won in at least half the games: 50 of 100 passes,
// 49 does not; a mode the puzzle is not locked to is only reported.
TEST(SimulatedPlayer, ALockedModeWonInHalfTheGamesPasses) {
  const struct {
    PlayMode mode;
    bool locked;
    int won;
    bool passes;
  } cases[] = {
      {PlayMode::Insane, true, 50, true}, {PlayMode::Insane, true, 49, false}, {PlayMode::Crazy, true, 50, true},
      {PlayMode::Crazy, true, 49, false}, {PlayMode::Crazy, false, 0, true},   {PlayMode::Normal, true, 0, true},
  };
  for (const auto& c : cases) {
    PlayReport r;
    r.mode = c.mode;
    r.locked = c.locked;
    r.runs = 100;
    r.won = c.won;
    EXPECT_EQ(tools::LockFault(r).empty(), c.passes) << c.won << (c.locked ? " locked" : "");
  }
}

TEST(TromakeCheck, RefusesALockedModeLostInMostGamesAndAPictureLargerThanThePictureArea) {
  struct Case {
    const char* what;
    BoxPuzzle puzzle;
    const char* fault;  // "" for none
    const char* report;
  };
  const Case cases[] = {
      {"tiny, locked insane", {640, 480, kTinyTargets.boxes, -3}, "", "insane (locked): won 100 of 100 runs, median 1.0 s to win"},
      {"many, locked crazy", ManyTargets(-2), "locked to crazy, it is won in only 0 of 100 runs", "crazy (locked): won 0 of 100 runs"},
      {"many, locked insane", ManyTargets(-3), "locked to insane, it is won in only 0 of 100 runs", "insane (locked)"},
      {"many, no lock", ManyTargets(0), "", ""},
      {"the largest picture that fits", {649, 489, {{100, 100, 120, 120}}}, "", ""},
      {"one column too wide", {650, 100, {{100, 20, 120, 40}}}, "the picture, 650 x 100, does not fit the 649 x 489 picture area", ""},
      {"one row too tall", {100, 490, {{20, 100, 40, 120}}}, "the picture, 100 x 490, does not fit the 649 x 489 picture area", ""},
  };
  const tools::PlayRequest request;
  for (const Case& c : cases) {
    TempFolder dir;
    const tools::Inspection in = tools::InspectArchive(c.puzzle.WriteArchive(dir, "p.tro"), EngineDir(), true, &request);
    std::string faults;
    for (const std::string& f : in.faults) faults += f + "\n";
    const std::string fault = c.fault;
    if (fault.empty()) EXPECT_EQ(faults, "") << c.what;
    else EXPECT_EQ(faults.substr(0, fault.size()), fault) << c.what << "\n" << faults;
    EXPECT_LE(in.faults.size(), 1u) << c.what << "\n" << faults;
    EXPECT_EQ(in.plays.empty() ? "" : tools::ReportLine(in.plays[0]).substr(0, std::string(c.report).size()), c.report)
        << c.what;
  }
}

TEST(TromakeSheet, LaysOutEachPuzzleUnsolvedAndSolvedInTheColumnsAsked) {
  TempFolder dir;
  const std::string a = kTinyTargets.WriteArchive(dir, "a.tro"), b = kHugeTargets.WriteArchive(dir, "b.tro");
  const std::string sheet = dir.File("sheet.png");
  ASSERT_EQ(std::system((std::string(TROMAKE) + " sheet " + a + " " + b + " -o " + sheet + " --columns 1").c_str()), 0);
  // One column: a puzzle in each half of the height, unsolved left of the
  // middle, solved right of it; red shows only where solved.
  const QImage shown(QString::fromStdString(sheet));
  ASSERT_FALSE(shown.isNull());
  EXPECT_GT(shown.height(), shown.width() / 2);
  auto reds = [&](int left, int top, int w, int h) {
    int n = 0;
    for (int y = top; y < top + h; ++y)
      for (int x = left; x < left + w; ++x) {
        const QColor c = shown.pixelColor(x, y);
        n += c.red() > 200 && c.green() < 80 && c.blue() < 80;
      }
    return n;
  };
  const int halfW = shown.width() / 2, halfH = shown.height() / 2;
  for (int row = 0; row < 2; ++row) {
    SCOPED_TRACE(row ? "huge targets" : "tiny targets");
    EXPECT_EQ(reds(0, row * halfH, halfW, halfH), 0);
    EXPECT_GT(reds(halfW, row * halfH, halfW, halfH), 0);
  }
  // The huge targets fill their picture: most of its thumbnail is red.
  EXPECT_GT(reds(halfW, halfH, halfW, halfH), reds(halfW, 0, halfW, halfH) * 100);
}

}  // namespace
}  // namespace tintaro::test
