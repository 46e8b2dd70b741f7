// The checker. Faults are collected rather than stopped at, so an author
// sees everything wrong with a puzzle in one run.
#include "tools/Checker.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "archive/ZipArch.h"
#include "core/Errors.h"
#include "core/Game.h"
#include "core/Messages.h"
#include "core/picture/ByteReader.h"
#include "core/picture/Dib.h"
#include "core/picture/PaintSurface.h"
#include "core/PuzzleState.h"
#include "core/rules/Moves.h"
#include "core/rules/SolutionFile.h"
#include "tools/HeadlessUi.h"
#include "tools/Regions.h"

namespace tintaro::tools {

namespace {

namespace fs = std::filesystem;

std::string FileNamePart(const std::string& entry) {
  const size_t cut = entry.find_last_of("\\/");
  return cut == std::string::npos ? entry : entry.substr(cut + 1);
}

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The shell's rule for the puzzle picture: exactly ".bmp", not "spi...".
bool IsPictureEntry(const std::string& name) {
  if (!EndsWith(name, ".bmp")) return false;
  std::string prefix = name.substr(0, 3);
  for (char& c : prefix)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return prefix != "spi";
}

std::string Point(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }

// A folder of our own under the system's temporary folder, removed at the end.
class TempDir {
 public:
  TempDir() {
    std::error_code unusable;  // left to the caller: no folder is made
    std::string pattern = (fs::temp_directory_path(unusable) / "tromake-XXXXXX").string();
    if (!unusable && mkdtemp(pattern.data())) path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) fs::remove_all(path_, ignored);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

struct Load {
  std::string fault;
  bool ok() const { return fault.empty(); }
};

// The size a BMP's header declares, read without its pixels; false when the
// header is not one the game's loader takes (the loader then says why).
bool DeclaredBmpSize(const std::string& path, int& width, int& height) {
  constexpr size_t kFileHeader = 14, kEnough = kFileHeader + 2048;  // headers, masks and a 256-colour table
  std::ifstream file(path, std::ios::binary);
  std::vector<uint8_t> head(kEnough);
  file.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<size_t>(file.gcount()));
  if (head.size() < kFileHeader || head[0] != 'B' || head[1] != 'M') return false;
  DibLayout layout;
  if (ReadDibLayout(std::span<const uint8_t>(head).subspan(kFileHeader), false, LoadU32LE(&head[10]), layout) !=
      DibStatus::Ok)
    return false;
  width = static_cast<int>(layout.width);
  height = static_cast<int>(layout.height);
  return PictureSizeAllowed(layout.width, layout.height);
}

Load LoadInto(PaintSurface& surface, const std::string& path) {
  try {
    surface.LoadPicture(path);
  } catch (const Exception& e) {
    return {e.what()};
  }
  return {};
}

void CheckPoints(Inspection& in, const RegionMap& map, const Picture& picture) {
  const int32_t background = map.At(1, 1);
  const std::vector<std::vector<int64_t>> gaps = JoiningGaps(picture, map);
  std::map<int32_t, std::string> owner;  // region -> the point that claimed it
  std::map<int32_t, bool> gapReported;
  auto visit = [&](const SeedPoint& p, bool target, size_t index) {
    const std::string what = std::string(target ? "target " : "stray ") + std::to_string(index + 1) + " at " +
                             Point(p.x, p.y);
    if (p.x < 0 || p.y < 0 || p.x >= picture.width || p.y >= picture.height) {
      in.faults.push_back(what + " lies outside the picture");
      return;
    }
    const int32_t region = map.At(p.x, p.y);
    if (region < 0) {
      in.faults.push_back(what + " lies on a black line");
      return;
    }
    const RegionInfo& r = map.regions[static_cast<size_t>(region)];
    if (auto it = owner.find(region); it != owner.end()) {
      const bool otherTarget = it->second.rfind("target", 0) == 0;
      if (target || otherTarget)
        in.faults.push_back(what + " shares its region with " + it->second +
                            (target && otherTarget ? " (two targets in one region)" : " (a target and a stray in one region)"));
    } else {
      owner[region] = what;
    }
    if (target && region == background)
      in.faults.push_back(what + " lies in the background (the region of pixel 1,1): the game undoes a paint there");
    if (target && r.maxSquare < kMinClickSide)
      in.faults.push_back(what + ": its region is too small to click (largest square " + std::to_string(r.maxSquare) +
                          " x " + std::to_string(r.maxSquare) + ", under 8 x 8)");
    const auto& g = gaps[static_cast<size_t>(region)];
    if (!g.empty() && !gapReported[region]) {
      gapReported[region] = true;
      in.faults.push_back(what + ": its region is joined to another only through a one-pixel gap in a line at " +
                          Point(static_cast<int>(g[0] % picture.width), static_cast<int>(g[0] / picture.width)));
    }
  };
  for (size_t i = 0; i < in.targets.size(); ++i) visit(in.targets[i], true, i);
  for (size_t i = 0; i < in.strays.size(); ++i) visit(in.strays[i], false, i);
}

// Targets and strays among the point records the reader takes, counted from
// the file itself: the header's sum plus one, after the option record.
std::pair<int64_t, int64_t> CountPointRecords(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto field = [&](size_t record, size_t index) {
    const size_t at = record * kSolutionRecordSize + index * 4;
    uint32_t v = 0;
    for (size_t b = 0; b < 4; ++b) v |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + b])) << (8 * b);
    return static_cast<int32_t>(v);
  };
  const size_t records = bytes.size() / kSolutionRecordSize;
  if (records == 0) return {0, 0};
  const int64_t count = int64_t{field(0, 0)} + field(0, 1) + 1;
  const size_t first = field(0, 2) == 0 ? 2 : 1;
  int64_t targets = 0, strays = 0;
  for (size_t r = first; count >= 0 && r < records && static_cast<int64_t>(r - first) <= count; ++r)
    ++(field(r, 2) == 1 ? targets : strays);
  return {targets, strays};
}

// Paints every target with the primary click, as a player would, until the
// game congratulates. A Crazy flood may recolour a region already painted,
// so the targets are gone over again a few times.
bool PlaySolution(Game& game, HeadlessUi& ui, const Inspection& in) {
  for (int pass = 0; pass < 8; ++pass) {
    for (const SeedPoint& t : in.targets) {
      if (game.state.Finished) break;
      if (game.surface.PixelAt(t.x, t.y) == kRed) continue;
      MouseMoveXY(game, t.x, t.y);
      Image1MouseClick(game);
    }
    if (game.state.Finished) break;
  }
  const std::string congratulation = msg::kCongratulations;
  return std::any_of(ui.messages.begin(), ui.messages.end(),
                     [&](const std::string& m) { return m.rfind(congratulation, 0) == 0; });
}

void SimulatePlayer(Inspection& in, const PlayedFiles& files, const PlayRequest& request) {
  for (PlayMode mode : ModesToPlay(in.modeLock, request.modes)) {
    try {
      in.plays.push_back(PlayMany(files, mode, request.seed));
    } catch (const Exception& e) {
      in.faults.push_back("the simulated player could not load the puzzle: " + std::string(e.what()));
      return;
    }
    if (std::string fault = LockFault(in.plays.back()); !fault.empty()) in.faults.push_back(fault);
  }
}

}  // namespace

Inspection InspectArchive(const std::string& path, const std::string& engineDir, bool play,
                          const PlayRequest* simulate, bool pixels) {
  Inspection in;
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (ec || !fs::exists(status)) {
    in.faults.push_back("cannot open the file");
    return in;
  }
  if (!fs::is_regular_file(status)) {
    in.faults.push_back("not a regular file");
    return in;
  }

  TZipArchive zip;
  zip.Unattended = true;
  zip.SetDLLDirectory(engineDir);
  zip.ErrCode = 0;
  zip.SetZipFilename(path);
  if (zip.ErrCode == 11036) {
    in.faults.push_back("not a zip archive");
    return in;
  }
  if (zip.ErrCode != 0) in.faults.push_back("archive directory: " + zip.Message);
  for (const ZipDirEntry& e : zip.DirEntries()) {
    in.entries.push_back({e.FileName, e.UncompressedSize, e.CompressedSize});
    if (IsPictureEntry(e.FileName)) {
      if (!in.pictureName.empty())
        in.faults.push_back("more than one puzzle picture (" + in.pictureName + ", " + FileNamePart(e.FileName) +
                            "): the game takes the one extracted last");
      in.pictureName = FileNamePart(e.FileName);
    }
  }
  if (in.pictureName.empty()) {
    in.faults.push_back("no puzzle picture entry (a .bmp whose name does not start with \"spi\")");
    return in;
  }
  const std::string base = in.pictureName.substr(0, in.pictureName.size() - 4);
  for (const EntryInfo& e : in.entries) {
    if (FileNamePart(e.name) == base + ".trs") in.hasSolution = true;
    if (FileNamePart(e.name) == "spi" + in.pictureName) in.hasClue = true;
  }
  if (!in.hasSolution) in.faults.push_back("no solution entry " + base + ".trs");
  if (!in.hasClue) in.faults.push_back("no clue entry spi" + in.pictureName);

  TempDir work;
  if (work.Path().empty()) {
    in.faults.push_back("cannot make a temporary folder");
    return in;
  }
  zip.ErrCode = 0;
  zip.ExtrBaseDir = work.Path();
  zip.ExtrOptions = {ExtrOverWrite};
  // Extract moves the process into the folder it extracts to; that folder
  // is removed at the end, and relative paths must keep their meaning.
  const fs::path before = fs::current_path(ec);
  zip.Extract();
  if (!before.empty()) fs::current_path(before, ec);
  if (zip.ErrCode != 0) {
    in.faults.push_back("extraction failed: " + zip.Message);
    return in;
  }

  PuzzleState state;
  HeadlessUi ui;
  PaintSurface surface;
  Game game{state, surface, ui};
  PrepareFirstActivation(state, ui);
  ResetForLoad(state, ui);
  state.ArchivePath = path;
  state.WorkDir = work.Path();
  state.PicturePath = work.Path() + "/" + in.pictureName;
  state.SolutionPath = work.Path() + "/" + base + ".trs";
  state.CluePath = work.Path() + "/spi" + in.pictureName;

  // A picture larger than the picture area is a fault whatever its pixels
  // are, and can be large enough to take seconds and a GiB to go through.
  int declaredWidth = 0, declaredHeight = 0;
  const bool declared = DeclaredBmpSize(state.PicturePath, declaredWidth, declaredHeight);
  if (declared && play && (declaredWidth > PaintSurface::kInitialControlWidth || declaredHeight > PaintSurface::kInitialControlHeight))
    pixels = false;
  if (declared && !pixels) {
    in.width = declaredWidth;
    in.height = declaredHeight;
  } else if (Load l = LoadInto(surface, state.PicturePath); !l.ok()) {
    in.faults.push_back("the picture cannot be loaded: " + l.fault);
    return in;
  } else {
    in.picture = surface.CurrentPicture();
    in.width = in.picture.width;
    in.height = in.picture.height;
    // Nothing is played on it: its pixels and file bytes need not be kept twice.
    if (!play) surface = PaintSurface();
  }
  if (in.width <= 0 || in.height <= 0) {
    in.faults.push_back("the picture is empty");
    return in;
  }
  // Image1's area in the laid-out window; a larger picture opens with scroll bars.
  if (in.width > PaintSurface::kInitialControlWidth || in.height > PaintSurface::kInitialControlHeight)
    in.faults.push_back("the picture, " + std::to_string(in.width) + " x " + std::to_string(in.height) +
                        ", does not fit the " + std::to_string(PaintSurface::kInitialControlWidth) + " x " +
                        std::to_string(PaintSurface::kInitialControlHeight) +
                        " picture area: the player would see only part of it, with scroll bars");
  if (const int64_t grey = pixels ? CountGreyEdgePixels(in.picture) : 0; grey > 0)
    in.faults.push_back("the picture has " + std::to_string(grey) +
                        " grey pixels beside its black lines (anti-aliased edges: regions bleed into each other)");

  if (in.hasClue && !pixels && DeclaredBmpSize(state.CluePath, in.clueWidth, in.clueHeight)) {
    if (in.clueWidth <= 0 || in.clueHeight <= 0) in.faults.push_back("the clue picture is empty");
  } else if (in.hasClue) {
    PaintSurface clue;
    if (Load l = LoadInto(clue, state.CluePath); !l.ok()) {
      in.faults.push_back("the clue picture cannot be loaded: " + l.fault);
    } else {
      in.clueWidth = clue.Width();
      in.clueHeight = clue.Height();
      in.clue = clue.CurrentPicture();
      if (in.clueWidth <= 0 || in.clueHeight <= 0) in.faults.push_back("the clue picture is empty");
    }
  }

  if (!in.hasSolution) return in;
  try {
    in.solutionRead = ReadSolutionFile(game, state.SolutionPath) == SolutionReadResult::Read;
  } catch (const ERangeError&) {
    in.faults.push_back("the solution lists more than 1000 targets or strays");
    return in;
  }
  if (!in.solutionRead) {
    in.faults.push_back("the solution file is cut short or unreadable");
    return in;
  }
  // The rules trust the header's counts; records of the other kind, or too
  // few of one, leave them checking rows that no record filled.
  const auto [targetRecords, strayRecords] = CountPointRecords(state.SolutionPath);
  if (targetRecords != int64_t{state.LastTargetIndex} + 1 || strayRecords != int64_t{state.LastStrayIndex} + 1) {
    in.faults.push_back("the solution's header counts " + std::to_string(int64_t{state.LastTargetIndex} + 1) +
                        " targets and " + std::to_string(int64_t{state.LastStrayIndex} + 1) +
                        " strays, but its records hold " + std::to_string(targetRecords) + " and " +
                        std::to_string(strayRecords));
    return in;
  }
  for (int32_t i = 0; i <= state.LastTargetIndex; ++i)
    in.targets.push_back({(*state.TargetPoints)[static_cast<size_t>(i)].X, (*state.TargetPoints)[static_cast<size_t>(i)].Y});
  for (int32_t i = 0; i <= state.LastStrayIndex; ++i)
    in.strays.push_back({(*state.StrayPoints)[static_cast<size_t>(i)].X, (*state.StrayPoints)[static_cast<size_t>(i)].Y});
  in.hintLimit = state.HintLimit;
  in.hintsWithheld = state.HintsDisabled;
  in.solutionWithheld = state.SolutionDisabled;
  in.modeLock = state.NormalOnly ? "normal" : state.CrazyOnly ? "crazy" : state.InsaneOnly ? "insane" : "any";

  if (in.targets.empty()) {
    in.faults.push_back("the solution lists no targets");
    return in;
  }
  if (static_cast<int32_t>(in.targets.size()) >= MoveLogLimit)
    in.faults.push_back("more than " + std::to_string(MoveLogLimit - 1) +
                        " targets: a player runs into the move limit before the last one");
  if (!in.hintsWithheld && !in.solutionWithheld && in.hintLimit < 1)
    in.faults.push_back("the hint limit is " + std::to_string(in.hintLimit));

  if (!pixels) return in;
  const size_t faultsBefore = in.faults.size();
  CheckPoints(in, FindRegions(in.picture), in.picture);
  if (!play) return in;
  if (in.faults.size() != faultsBefore) {
    in.faults.push_back("the solution was not played: its points are at fault");
    return in;
  }
  in.played = PlaySolution(game, ui, in);
  if (!in.played) in.faults.push_back("painting every target did not bring the congratulation");
  if (in.played && in.clue.width > 0) {
    in.reasoning = ReasonOut(in.picture, in.clue, in.targets);
    in.reasoned = true;
  }
  if (in.played && simulate) SimulatePlayer(in, {path, state.PicturePath, state.SolutionPath}, *simulate);
  return in;
}

}  // namespace tintaro::tools
