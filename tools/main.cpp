// tromake: builds, generates, checks, describes and renders Tintaro puzzle
// archives. Errors are one line each, "tromake: FILE: fault", and a non-zero exit.
#include <QGuiApplication>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "tools/Builder.h"
#include "tools/Camouflage.h"
#include "tools/Checker.h"
#include "tools/ContactSheet.h"
#include "tools/PicturePuzzle.h"
#include "tools/PuzzleSource.h"
#include "tools/Regions.h"
#include "tools/Render.h"
#include "tools/SourceFiles.h"
#include "tools/TerminalText.h"

namespace {

namespace fs = std::filesystem;
using namespace tintaro;
using namespace tintaro::tools;

constexpr const char* kVersion = "tromake 1.0";
constexpr int kExitFault = 1;
constexpr int kExitUsage = 2;

constexpr const char* kHelp = R"(Usage: tromake COMMAND ...
Makes and checks Tintaro puzzle archives (.tro).

  build SOURCE -o PUZZLE.tro      build a puzzle from a puzzle source (below)
  generate [--seed N] [--size WxH] [--regions N] [--shape SHAPE] [--figures N]
           -o PUZZLE.tro
                                  a mosaic of about N regions across a shape:
                                  heart star circle diamond moon drop arrow cross,
                                  hidden among N others outlined alike (defaults:
                                  seed 1, 600x400, 40 regions, heart, 2 figures)
  picture IMAGE -o PUZZLE.tro [--difficulty easy|medium|hard]
          [--mode any|normal|crazy|insane] [--seed N] [--subject MASK]
                                  a puzzle of a photo or drawing (PNG, JPEG,
                                  BMP, GIF, WebP, SVG): the cells follow the
                                  picture, its subject is hidden in them and
                                  the picture itself is the clue. The subject
                                  is the opaque part of a cut-out, the MASK's
                                  non-white part, or else found in the photo.
                                  The puzzle is checked; a locked crazy or
                                  insane one is made smaller until it can be
                                  won (defaults: medium, any, seed 1)
  check PUZZLE.tro... [--modes MODE,...] [--seed N]
        [--source SOURCE... [--max-given-away PERCENT]]
                                  report every fault a player would meet, then
                                  play the solution; exit 1 on any fault.
                                  A puzzle locked to crazy or insane is played
                                  100 times as a person would (a click every
                                  0.5 s, 2 minutes at most) and must be won in
                                  half; --modes plays normal, crazy, insane
                                  too; --seed picks the times of day (default 1).
                                  --source, once per puzzle in their order:
                                  rebuild it from its source with and without
                                  the hidden picture and report "outline given
                                  away: N %", the share of the targets' outline
                                  only the hidden picture drew; more than
                                  --max-given-away percent is a fault
  info PUZZLE.tro [--json]        entries, picture size, targets, strays, options
  render PUZZLE.tro -o PICTURE.png [--unsolved]
                                  the picture with its targets painted red
  sheet PUZZLE.tro... -o SHEET.png [--columns N]
                                  a contact sheet: each puzzle unsolved and
                                  solved side by side, scaled down, named
                                  underneath; N puzzles a row (default 4)
  --help, --version

The output of build, generate and picture depends only on the input: the
same source or picture gives the same bytes. See tools/README.md for the source format.
)";

// File names and faults may quote an archive's entry names: printed escaped.
int Fail(const std::string& file, const std::string& fault) {
  std::cerr << "tromake: " << PrintableText(file.empty() ? fault : file + ": " + fault) << "\n";
  return kExitFault;
}

int Usage(const std::string& fault) {
  std::cerr << "tromake: " << fault << "\n(tromake --help shows the commands)\n";
  return kExitUsage;
}

// Where libunzeng.so lies: beside tromake, in the build tree's program
// folder, in an installed layout, or else wherever the system finds it.
std::string EngineDir() {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return "";
  const fs::path dir = self.parent_path();
  for (const fs::path& candidate : {dir, dir / ".." / "Tintaro", dir / ".." / "lib" / "games" / "tintaro"})
    if (fs::exists(candidate / "libunzeng.so", ec)) return fs::weakly_canonical(candidate, ec).string();
  return "";
}

// Commands that open archives extract them into a folder made under the system's
// temporary folder. Empty when that folder can be used, else the fault. The
// variables are read in the order the standard library reads them.
std::string TemporaryFolderFault() {
  std::string shown = "/tmp";
  for (const char* name : {"TMPDIR", "TMP", "TEMP", "TEMPDIR"})
    if (const char* value = std::getenv(name)) {
      shown = std::string(name) + "=" + value;
      break;
    }
  std::error_code ec;
  const fs::path dir = fs::temp_directory_path(ec);
  if (ec) return shown + ": no temporary folder there: " + ec.message();
  // The extraction changes the current folder; a relative path would move.
  if (!dir.is_absolute()) return shown + ": the temporary folder must be an absolute path";
  if (::access(dir.c_str(), W_OK | X_OK) != 0) return shown + ": cannot make folders in the temporary folder";
  return "";
}

// Qt's notes about its own set-up (a missing runtime folder) are noise here.
void QuietQtSetupNotes(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtDebugMsg || type == QtInfoMsg || text.startsWith("QStandardPaths:")) return;
  std::cerr << "tromake: " << text.toStdString() << "\n";
}

// Qt draws only for the commands that render; it never needs a display.
std::unique_ptr<QGuiApplication> StartQt(int& argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  qInstallMessageHandler(QuietQtSetupNotes);
  return std::make_unique<QGuiApplication>(argc, argv);
}

struct Args {
  std::vector<std::string> positional;
  std::string output;
  std::vector<std::pair<std::string, std::string>> options;  // --name value
  std::vector<std::string> flags;                            // --name
};

std::optional<Args> Split(const std::vector<std::string>& words, const std::vector<std::string>& valued,
                          const std::vector<std::string>& bare, std::string& fault) {
  Args a;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (w == "-o" || std::find(valued.begin(), valued.end(), w) != valued.end()) {
      if (i + 1 >= words.size()) {
        fault = w + " needs a value";
        return std::nullopt;
      }
      if (w == "-o") a.output = words[++i];
      else a.options.push_back({w, words[++i]});
    } else if (std::find(bare.begin(), bare.end(), w) != bare.end()) {
      a.flags.push_back(w);
    } else if (w.size() > 1 && w[0] == '-') {
      fault = "unknown option " + w;
      return std::nullopt;
    } else {
      a.positional.push_back(w);
    }
  }
  return a;
}

std::optional<int64_t> Integer(const std::string& s) {
  int64_t v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return v;
}

// A picture name from an output file name: its stem, kept to plain characters.
std::string NameFromOutput(const std::string& output) {
  std::string stem = fs::path(output).stem().string(), name;
  for (char c : stem)
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_') name += c;
  if (name.empty() || name.size() > 64) name = "Puzzle";
  std::string prefix = name.substr(0, 3);
  for (char& c : prefix) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (prefix == "spi") name = "P" + name;
  return name;
}

// Reads and parses a puzzle source into a build request; empty on success,
// else the fault.
std::string ReadSource(const std::string& sourcePath, BuildRequest& rq) {
  std::string text;
  if (std::string e = ReadRegularFile(sourcePath, kMaxSourceBytes, text); !e.empty()) return e;
  ParseResult parsed = ParsePuzzleSource(text);
  if (!parsed.source) return parsed.error;
  rq.source = *parsed.source;
  rq.baseDir = fs::path(sourcePath).parent_path().string();
  return "";
}

int Build(const Args& a) {
  if (a.positional.size() != 1 || a.output.empty()) return Usage("build takes SOURCE -o PUZZLE.tro");
  const std::string& sourcePath = a.positional[0];
  BuildRequest rq;
  if (std::string e = ReadSource(sourcePath, rq); !e.empty()) return Fail(sourcePath, e);
  rq.name = NameFromOutput(a.output);
  const BuildReport report = BuildPuzzle(rq, a.output);
  if (!report.error.empty()) return Fail(sourcePath, report.error);
  return 0;
}

int Generate(const Args& a) {
  if (!a.positional.empty() || a.output.empty())
    return Usage("generate takes [--seed N] [--size WxH] [--regions N] [--shape SHAPE] [--figures N] -o PUZZLE.tro");
  BuildRequest rq;
  PuzzleSource& s = rq.source;
  s.width = 600;
  s.height = 400;
  s.mosaicCells = 40;
  s.tracedPercent = 100;
  int decoys = 2;
  std::string shape = "heart";
  for (const auto& [key, value] : a.options) {
    if (key == "--seed") {
      const auto v = Integer(value);
      if (!v || *v < 0 || *v > UINT32_MAX) return Usage("--seed takes 0 ... 4294967295");
      s.seed = static_cast<uint32_t>(*v);
    } else if (key == "--regions") {
      const auto v = Integer(value);
      if (!v || *v < 2 || *v > kMaxCells) return Usage("--regions takes 2 ... " + std::to_string(kMaxCells));
      s.mosaicCells = static_cast<int>(*v);
    } else if (key == "--size") {
      const size_t x = value.find('x');
      const auto w = x == std::string::npos ? std::nullopt : Integer(value.substr(0, x));
      const auto h = x == std::string::npos ? std::nullopt : Integer(value.substr(x + 1));
      if (!w || !h || *w < 64 || *h < 64 || *w > kMaxSide || *h > kMaxSide)
        return Usage("--size takes WxH, each 64 ... " + std::to_string(kMaxSide));
      s.width = static_cast<int>(*w);
      s.height = static_cast<int>(*h);
    } else if (key == "--shape") {
      shape = value;
    } else if (key == "--figures") {
      const auto v = Integer(value);
      const int most = static_cast<int>(BuiltinShapeNames().size()) - 1;
      if (!v || *v < 0 || *v > most) return Usage("--figures takes 0 ... " + std::to_string(most));
      decoys = static_cast<int>(*v);
    }
  }
  rq.hiddenSvgText = BuiltinShapeSvg(shape);
  if (rq.hiddenSvgText.empty()) return Usage("unknown shape '" + shape + "' (see tromake --help)");
  s.hidden = shape + ".svg";
  PlaceBuiltinFigures(shape, decoys, rq);
  rq.name = NameFromOutput(a.output);
  const BuildReport report = BuildPuzzle(rq, a.output);
  if (!report.error.empty()) return Fail(a.output, report.error);
  return 0;
}

std::string GivenAwayLine(const Picture& without, std::optional<int> limit, Inspection& in);

// What the source says of the puzzle's camouflage: how much of the targets'
// outline only the hidden picture drew (the puzzle against its source built
// hiding nothing), its decoy figures, and whether its outline stands out
// among theirs. Adds a fault when the puzzle was not built from the source,
// gives more away than `limit` percent, or is singled out without its clue.
// Returns the report lines, none when it could not be measured.
std::vector<std::string> MeasureOutline(const std::string& sourcePath, std::optional<int> limit, Inspection& in) {
  std::vector<std::string>& faults = in.faults;
  BuildRequest rq;
  Picture with, without;
  std::vector<uint8_t> hidden;
  std::vector<std::vector<uint8_t>> decoys;
  std::string e = ReadSource(sourcePath, rq);
  if (e.empty()) e = DrawPuzzle(rq, /*withHidden=*/true, with);
  if (e.empty()) e = DrawPuzzle(rq, /*withHidden=*/false, without);
  if (e.empty() && rq.source.mosaicCells) e = FigureMasks(rq, with.width, with.height, hidden, decoys);
  if (!e.empty()) {
    faults.push_back(sourcePath + ": " + e);
    return {};
  }
  if (with.width != in.picture.width || with.height != in.picture.height || with.pixels != in.picture.pixels) {
    faults.push_back("its picture is not the one " + sourcePath + " builds");
    return {};
  }
  std::vector<std::string> lines{GivenAwayLine(without, limit, in),
                                 "decoy figures: " + std::to_string(rq.source.figures.size())};
  // A drawn outline with no decoy figure to hide among singles its figure
  // out as surely as one drawn more plainly than theirs.
  if (rq.source.mosaicCells && !hidden.empty()) {
    const Camouflage camouflage = MeasureCamouflage(hidden, decoys, in.picture);
    lines.push_back(camouflage.Line());
    if (camouflage.SinglesOut())
      faults.push_back(decoys.empty() ? "its figure's outline is drawn with no decoy figure to hide among: a player finds it without the clue"
                                      : "its figure's outline is drawn more plainly than every decoy figure's: a player finds it without the clue");
  }
  return lines;
}

// The outline measure against `without`, the puzzle's drawing made as if
// nothing were hidden.
std::string GivenAwayLine(const Picture& without, std::optional<int> limit, Inspection& in) {
  std::vector<std::string>& faults = in.faults;
  const RegionMap map = FindRegions(in.picture);
  std::vector<uint8_t> isTarget(map.regions.size(), 0);
  for (const SeedPoint& t : in.targets)
    if (const int32_t r = map.At(t.x, t.y); r >= 0) isTarget[static_cast<size_t>(r)] = 1;
  const OutlineShare share = MeasureGivenAway(map, isTarget, without);
  if (limit && share.Percent() > *limit)
    faults.push_back("it gives away " + std::to_string(share.Percent()) + " % of the hidden outline (at most " +
                     std::to_string(*limit) + " % allowed)");
  return "outline given away: " + std::to_string(share.Percent()) + " %";
}

// The reasoning player's lines, and its shortfalls as faults.
void PrintReasoning(const std::string& file, const ReasoningLimits& limits, Inspection& in) {
  if (!in.reasoned) return;
  for (const std::string& line : ReasoningLines(in.reasoning)) std::cout << PrintableText(file) << ": " << line << "\n";
  for (std::string& fault : ReasoningFaults(in.reasoning, limits)) in.faults.push_back(std::move(fault));
}

int Check(const Args& a) {
  if (a.positional.empty() || !a.output.empty())
    return Usage("check takes PUZZLE.tro... [--modes normal,crazy,insane] [--seed N]");
  PlayRequest request;
  std::vector<std::string> sources;  // one per puzzle, for the outline measure
  std::optional<int> maxGivenAway;
  ReasoningLimits limits;
  for (const auto& [key, value] : a.options) {
    if (key == "--modes") {
      const auto modes = ParseModes(value);
      if (!modes) return Usage("--modes takes a comma-separated list of normal, crazy, insane");
      request.modes = *modes;
    } else if (key == "--seed") {
      const auto v = Integer(value);
      if (!v || *v < 0) return Usage("--seed takes a number from 0");
      request.seed = static_cast<uint64_t>(*v);
    } else if (key == "--source") {
      sources.push_back(value);
    } else if (key == "--max-given-away") {
      const auto v = Integer(value);
      if (!v || *v < 0 || *v > 100) return Usage("--max-given-away takes 0 ... 100");
      maxGivenAway = static_cast<int>(*v);
    } else if (key == "--max-wrong") {
      const auto v = Integer(value);
      if (!v || *v < 0 || *v > 100) return Usage("--max-wrong takes 0 ... 100 (percent of the targets)");
      limits.maxWrongShare = static_cast<double>(*v) / 100;
    } else if (key == "--min-iou") {
      const auto v = Integer(value);
      if (!v || *v < 0 || *v > 100) return Usage("--min-iou takes 0 ... 100 (hundredths)");
      limits.minIou = static_cast<double>(*v) / 100;
    }
  }
  if (!sources.empty() && sources.size() != a.positional.size())
    return Usage("give one --source per puzzle, in the puzzles' order");
  if (maxGivenAway && sources.empty()) return Usage("--max-given-away needs the puzzle's --source");
  const std::string engine = EngineDir();
  int status = 0;
  for (const std::string& file : a.positional) {
    Inspection in = InspectArchive(file, engine, /*play=*/true, &request);
    if (const size_t k = static_cast<size_t>(&file - a.positional.data()); k < sources.size() && in.width > 0)
      for (const std::string& line : MeasureOutline(sources[k], maxGivenAway, in))
        std::cout << PrintableText(file) << ": " << line << "\n";
    PrintReasoning(file, limits, in);
    for (const PlayReport& r : in.plays) std::cout << PrintableText(file) << ": " << ReportLine(r) << "\n";
    for (const std::string& f : in.faults) Fail(file, f);
    if (!in.faults.empty()) {
      status = kExitFault;
      continue;
    }
    std::cout << PrintableText(file) << ": ok: " << in.width << " x " << in.height << ", " << in.targets.size() << " targets, "
              << in.strays.size() << " strays, solved by playing\n";
  }
  return status;
}

// A locked Crazy or Insane puzzle lost in most games is made again smaller,
// with fewer cells: fewer, smaller targets offer the floods fewer pixels.
constexpr double kLockedScales[] = {1.0, 0.8, 0.64, 0.5, 0.4, 0.32, 0.25};

int MakePicture(const Args& a) {
  if (a.positional.size() != 1 || a.output.empty())
    return Usage("picture takes IMAGE -o PUZZLE.tro [--difficulty easy|medium|hard] [--mode any|normal|crazy|insane] "
                 "[--seed N] [--subject MASK]");
  PictureRequest rq;
  rq.imagePath = a.positional[0];
  for (const auto& [key, value] : a.options) {
    if (key == "--difficulty") {
      if (!ParseDifficulty(value, rq.difficulty)) return Usage("--difficulty takes easy, medium or hard");
    } else if (key == "--mode") {
      if (value == "any") rq.mode = ModeLock::None;
      else if (value == "normal") rq.mode = ModeLock::Normal;
      else if (value == "crazy") rq.mode = ModeLock::Crazy;
      else if (value == "insane") rq.mode = ModeLock::Insane;
      else return Usage("--mode takes any, normal, crazy or insane");
    } else if (key == "--seed") {
      const auto v = Integer(value);
      if (!v || *v < 0 || *v > UINT32_MAX) return Usage("--seed takes 0 ... 4294967295");
      rq.seed = static_cast<uint32_t>(*v);
    } else if (key == "--subject") {
      rq.subjectPath = value;
    }
  }
  const std::string engine = EngineDir();
  const PlayRequest simulate;
  PictureSubject subject;
  if (std::string e = ReadPictureSubject(rq, subject); !e.empty()) return Fail("", e);
  for (const double scale : kLockedScales) {
    rq.scale = scale;
    BuildRequest build;
    build.name = NameFromOutput(a.output);
    PictureFacts facts;
    PreparePicturePuzzle(rq, subject, build, facts);
    const BuildReport built = BuildPuzzle(build, a.output);
    if (!built.error.empty()) return Fail(rq.imagePath, built.error);
    Inspection in = InspectArchive(a.output, engine, /*play=*/true, &simulate);
    const std::string outline = GivenAwayLine(facts.withoutSubject, std::nullopt, in);
    const bool lost = std::any_of(in.plays.begin(), in.plays.end(), [](const PlayReport& r) { return !LockFault(r).empty(); });
    if (lost && scale != kLockedScales[std::size(kLockedScales) - 1]) continue;
    std::cout << PrintableText(a.output) << ": " << facts.width << " x " << facts.height << ", subject "
              << facts.subjectFrom << ": " << std::lround(facts.subjectShare * 100) << " % of the picture, "
              << built.targets << " targets, " << built.strays << " strays, " << outline << "\n";
    for (const PlayReport& r : in.plays) std::cout << PrintableText(a.output) << ": " << ReportLine(r) << "\n";
    if (in.reasoned)
      for (const std::string& line : ReasoningLines(in.reasoning)) std::cout << PrintableText(a.output) << ": " << line << "\n";
    const bool unfair = in.reasoned && !ReasoningFaults(in.reasoning, {}).empty();
    if (in.faults.empty() && !unfair) return 0;
    // A puzzle that fails its check is not left behind to pass for a good one.
    std::error_code ec;
    fs::remove(a.output, ec);
    for (const std::string& f : in.faults) Fail(a.output, f);
    if (lost)
      Fail(rq.imagePath, "cannot be won in its locked mode even at " + std::to_string(facts.width) + " x " +
                             std::to_string(facts.height) + ": choose --mode any or normal, or a smaller subject");
    else if (unfair)
      Fail(rq.imagePath, ReasoningFaults(in.reasoning, {}).front() + "; mark one clear subject yourself with --subject MASK");
    return kExitFault;
  }
  return kExitFault;
}

std::string HintText(const Inspection& in) {
  if (in.solutionWithheld) return "solution withheld";
  if (in.hintsWithheld) return "hints withheld";
  return std::to_string(in.hintLimit);
}

int Info(const Args& a) {
  if (a.positional.size() != 1 || !a.output.empty()) return Usage("info takes PUZZLE.tro [--json]");
  const std::string& file = a.positional[0];
  const Inspection in = InspectArchive(file, EngineDir(), /*play=*/false, nullptr, /*pixels=*/false);
  const bool json = !a.flags.empty();
  std::ostringstream o;
  if (in.entries.empty()) {
    // Nothing was listed: the fault lines say all there is.
  } else if (json) {
    o << "{\n  \"file\": " << JsonString(file) << ",\n  \"entries\": [";
    for (size_t i = 0; i < in.entries.size(); ++i)
      o << (i ? ", " : "") << "{\"name\": " << JsonString(in.entries[i].name) << ", \"size\": " << in.entries[i].size
        << ", \"compressed\": " << in.entries[i].compressedSize << "}";
    o << "],\n  \"picture\": " << JsonString(in.pictureName) << ",\n  \"width\": " << in.width
      << ",\n  \"height\": " << in.height << ",\n  \"clue\": {\"width\": " << in.clueWidth
      << ", \"height\": " << in.clueHeight << "},\n  \"targets\": [";
    for (size_t i = 0; i < in.targets.size(); ++i) o << (i ? ", " : "") << "[" << in.targets[i].x << ", " << in.targets[i].y << "]";
    o << "],\n  \"strays\": [";
    for (size_t i = 0; i < in.strays.size(); ++i) o << (i ? ", " : "") << "[" << in.strays[i].x << ", " << in.strays[i].y << "]";
    o << "],\n  \"hint_limit\": " << in.hintLimit << ",\n  \"hints_withheld\": " << (in.hintsWithheld ? "true" : "false")
      << ",\n  \"solution_withheld\": " << (in.solutionWithheld ? "true" : "false")
      << ",\n  \"mode\": " << JsonString(in.modeLock) << ",\n  \"faults\": [";
    for (size_t i = 0; i < in.faults.size(); ++i) o << (i ? ", " : "") << JsonString(in.faults[i]);
    o << "]\n}\n";
  } else {
    // Names come from the archive: a hostile one may hold escape sequences.
    o << PrintableText(file) << "\n  entries:";
    for (const EntryInfo& e : in.entries)
      o << "\n    " << PrintableText(e.name) << " (" << e.size << " bytes, " << e.compressedSize << " packed)";
    o << "\n  picture: " << (in.pictureName.empty() ? "none" : PrintableText(in.pictureName)) << ", " << in.width
      << " x " << in.height
      << "\n  clue: " << in.clueWidth << " x " << in.clueHeight << "\n  targets: " << in.targets.size();
    for (size_t i = 0; i < in.targets.size(); ++i) o << (i % 8 ? " " : "\n    ") << in.targets[i].x << "," << in.targets[i].y;
    o << "\n  strays: " << in.strays.size() << "\n  hints: " << HintText(in) << "\n  mode: " << in.modeLock << "\n";
  }
  std::cout << o.str();
  for (const std::string& f : in.faults) Fail(file, f);
  return in.faults.empty() ? 0 : kExitFault;
}

int Render(const Args& a) {
  if (a.positional.size() != 1 || a.output.empty()) return Usage("render takes PUZZLE.tro -o PICTURE.png");
  const std::string& file = a.positional[0];
  Inspection in = InspectArchive(file, EngineDir(), /*play=*/false);
  if (in.width <= 0 || in.targets.empty()) {
    for (const std::string& f : in.faults) Fail(file, f);
    return Fail(file, "nothing to render");
  }
  const Picture picture = a.flags.empty() ? SolvedPicture(in.picture, in.targets) : in.picture;
  if (std::string e = SavePng(picture, a.output); !e.empty()) return Fail(a.output, e);
  return 0;
}

int Sheet(const Args& a) {
  if (a.positional.empty() || a.output.empty()) return Usage("sheet takes PUZZLE.tro... -o SHEET.png [--columns N]");
  int columns = 4;
  for (const auto& [key, value] : a.options) {
    const auto v = Integer(value);
    if (!v || *v < 1 || *v > kSheetMaxColumns)
      return Usage("--columns takes 1 ... " + std::to_string(kSheetMaxColumns));
    columns = static_cast<int>(*v);
  }
  const std::string engine = EngineDir();
  std::vector<SheetEntry> entries;
  int status = 0;
  for (const std::string& file : a.positional) {
    Inspection in = InspectArchive(file, engine, /*play=*/false);
    if (in.width <= 0 || in.targets.empty()) {
      for (const std::string& f : in.faults) Fail(file, f);
      status = Fail(file, "nothing to show");
      continue;
    }
    entries.push_back(MakeSheetEntry(fs::path(file).stem().string(), in.picture, in.targets));
  }
  // A sheet that leaves a puzzle out would pass for the whole set.
  if (status != 0) return status;
  if (std::string e = SaveContactSheet(entries, columns, a.output); !e.empty()) return Fail(a.output, e);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Zip entry times are written as local time; one zone for everyone keeps
  // the archives identical wherever they are built.
  setenv("TZ", "UTC", 1);
  std::vector<std::string> words(argv + 1, argv + argc);
  if (words.empty()) return Usage("no command");
  const std::string command = words[0];
  words.erase(words.begin());
  if (command == "--help" || command == "-h" || command == "help") {
    std::cout << kHelp;
    return 0;
  }
  if (command == "--version") {
    std::cout << kVersion << "\n";
    return 0;
  }
  std::string fault;
  std::optional<Args> args;
  if (command == "build") args = Split(words, {}, {}, fault);
  else if (command == "check")
    args = Split(words, {"--modes", "--seed", "--source", "--max-given-away", "--max-wrong", "--min-iou"}, {}, fault);
  else if (command == "generate") args = Split(words, {"--seed", "--size", "--regions", "--shape", "--figures"}, {}, fault);
  else if (command == "picture") args = Split(words, {"--difficulty", "--mode", "--seed", "--subject"}, {}, fault);
  else if (command == "info") args = Split(words, {}, {"--json"}, fault);
  else if (command == "render") args = Split(words, {}, {"--unsolved"}, fault);
  else if (command == "sheet") args = Split(words, {"--columns"}, {}, fault);
  else return Usage("unknown command '" + command + "'");
  if (!args) return Usage(fault);
  // Every command but these two extracts archives into a temporary folder.
  if (command != "build" && command != "generate")
    if (std::string e = TemporaryFolderFault(); !e.empty()) return Fail("", e);
  // The drawing commands need Qt's Gui, and so does check to rebuild a
  // source; it stays quiet without a display.
  int qtArgc = 1;
  std::unique_ptr<QGuiApplication> app;
  const auto& opts = args->options;
  const bool rebuilds = std::any_of(opts.begin(), opts.end(), [](const auto& o) { return o.first == "--source"; });
  if (command == "check") {
    if (rebuilds) app = StartQt(qtArgc, argv);
    return Check(*args);
  }
  if (command == "info") return Info(*args);
  app = StartQt(qtArgc, argv);
  if (command == "build") return Build(*args);
  if (command == "generate") return Generate(*args);
  if (command == "sheet") return Sheet(*args);
  if (command == "picture") return MakePicture(*args);
  return Render(*args);
}
