// The puzzle source parser. Every line is "key value..."; '#' starts a
// comment. Input is treated as hostile: numbers are range-checked, unknown
// keys and repeated single-valued keys are refused with their line number.
#include "tools/PuzzleSource.h"

#include <charconv>
#include <set>

#include "tools/SourceFiles.h"

namespace tintaro::tools {

namespace {

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

std::optional<int64_t> Number(std::string_view word) {
  int64_t value = 0;
  const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (ec != std::errc() || end != word.data() + word.size()) return std::nullopt;
  return value;
}

std::optional<double> Decimal(std::string_view word) {
  double value = 0;
  const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value, std::chars_format::fixed);
  if (ec != std::errc() || end != word.data() + word.size()) return std::nullopt;
  return value;
}

std::string Lower(std::string_view word) {
  std::string s(word);
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

bool EndsWith(const std::string& s, std::string_view tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

bool PictureFileName(std::string_view word) {
  const std::string lower = Lower(word);
  return lower.size() > 4 && (EndsWith(lower, ".bmp") || EndsWith(lower, ".svg"));
}

// A picture name inside the archive: it becomes a file name in the player's
// work folder, so only plain characters and no folder part.
bool PlainName(std::string_view word) {
  if (word.empty() || word.size() > 64) return false;
  for (char c : word) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '-' || c == '_';
    if (!ok) return false;
  }
  // "spi" names the clue; a picture called so would be taken for one.
  return Lower(word.substr(0, 3)) != "spi";
}

class Parser {
 public:
  ParseResult Run(std::string_view text) {
    if (text.size() > kMaxSourceBytes) return Fail(0, "source larger than 1 MiB");
    int lineNumber = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
      size_t end = text.find('\n', pos);
      if (end == std::string_view::npos) end = text.size();
      std::string_view line = text.substr(pos, end - pos);
      pos = end + 1;
      ++lineNumber;
      if (const size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      for (char c : line)
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t') return Fail(lineNumber, "control character");
      const std::vector<std::string_view> words = Words(line);
      if (words.empty()) continue;
      if (std::string error = Line(words); !error.empty()) return Fail(lineNumber, error);
    }
    return Finish();
  }

 private:
  ParseResult Fail(int line, const std::string& what) {
    ParseResult r;
    r.error = line > 0 ? "line " + std::to_string(line) + ": " + what : what;
    return r;
  }

  // Reads `count` integers after the key, each within [lo, hi].
  std::string Integers(const std::vector<std::string_view>& w, size_t count, int64_t lo, int64_t hi,
                       std::vector<int64_t>& out) {
    if (w.size() != count + 1) return "'" + std::string(w[0]) + "' takes " + std::to_string(count) + " number(s)";
    for (size_t i = 1; i <= count; ++i) {
      const std::optional<int64_t> v = Number(w[i]);
      if (!v) return "'" + std::string(w[i]) + "' is not a whole number";
      if (*v < lo || *v > hi)
        return std::string(w[i]) + " is outside " + std::to_string(lo) + " ... " + std::to_string(hi);
      out.push_back(*v);
    }
    return "";
  }

  std::string FileName(const std::vector<std::string_view>& w, std::string& out) {
    if (w.size() != 2) return "'" + std::string(w[0]) + "' takes one file name";
    if (!PictureFileName(w[1])) return "'" + std::string(w[1]) + "' is not a .bmp or .svg file";
    if (std::string fault = SourceNameFault(w[1]); !fault.empty()) return "'" + std::string(w[1]) + "': " + fault;
    out = std::string(w[1]);
    return "";
  }

  // SCALE X Y from w[first]: the scale in (0, 1], the centre's fractions in [0, 1].
  std::string Place(const std::vector<std::string_view>& w, size_t first, Placement& out) {
    const std::string usage = "'" + std::string(w[0]) + "' takes " + (first > 1 ? "FILE.svg " : "") +
                              "SCALE X Y: SCALE in (0, 1] of the picture's height, X and Y in [0, 1]";
    if (w.size() != first + 3) return usage;
    const std::optional<double> scale = Decimal(w[first]), x = Decimal(w[first + 1]), y = Decimal(w[first + 2]);
    if (!scale || !x || !y || !(*scale > 0 && *scale <= 1) || !(*x >= 0 && *x <= 1) || !(*y >= 0 && *y <= 1))
      return usage;
    out = {*scale, *x, *y};
    return "";
  }

  std::string Line(const std::vector<std::string_view>& w) {
    const std::string key = Lower(w[0]);
    // Point lists and figures may repeat; every other key is given once.
    if (key != "target" && key != "stray" && key != "figure" && !seen_.insert(key).second)
      return "'" + key + "' given twice";
    std::vector<int64_t> n;
    auto I = [&n](size_t i) { return static_cast<int>(n[i]); };
    if (key == "name") {
      if (w.size() != 2 || !PlainName(w[1]))
        return "'name' takes one plain name (letters, digits, '-', '_'; not starting with \"spi\")";
      s_.name = std::string(w[1]);
    } else if (key == "size") {
      if (auto e = Integers(w, 2, kMinSide, kMaxSide, n); !e.empty()) return e;
      s_.width = I(0);
      s_.height = I(1);
    } else if (key == "drawing") {
      return FileName(w, s_.drawing);
    } else if (key == "hidden") {
      return FileName(w, s_.hidden);
    } else if (key == "clue") {
      return FileName(w, s_.clue);
    } else if (key == "clue-frame") {
      const std::string v = w.size() == 2 ? Lower(w[1]) : "";
      if (v != "on" && v != "off") return "'clue-frame' takes on or off";
      s_.clueFrame = v == "on";
    } else if (key == "place") {
      return Place(w, 1, s_.place);
    } else if (key == "figure") {
      if (s_.figures.size() >= static_cast<size_t>(kMaxFigures)) return "more than " + std::to_string(kMaxFigures) + " figures";
      FigureSource figure;
      if (w.size() < 2 || !Lower(w[1]).ends_with(".svg")) return "'figure' takes FILE.svg SCALE X Y";
      if (std::string e = FileName({w[0], w[1]}, figure.file); !e.empty()) return e;
      if (std::string e = Place(w, 2, figure.place); !e.empty()) return e;
      s_.figures.push_back(figure);
    } else if (key == "clue-size") {
      if (auto e = Integers(w, 2, 8, 1024, n); !e.empty()) return e;
      s_.clueWidth = I(0);
      s_.clueHeight = I(1);
    } else if (key == "mosaic") {
      if (auto e = Integers(w, 1, 1, kMaxCells, n); !e.empty()) return e;
      s_.mosaicCells = I(0);
    } else if (key == "seed") {
      if (auto e = Integers(w, 1, 0, UINT32_MAX, n); !e.empty()) return e;
      s_.seed = static_cast<uint32_t>(n[0]);
    } else if (key == "decoys") {
      if (auto e = Integers(w, 1, 0, kMaxDecoys, n); !e.empty()) return e;
      s_.decoys = I(0);
    } else if (key == "outline") {
      const std::string v = w.size() >= 2 ? Lower(w[1]) : "";
      if (v == "none" && w.size() == 2) {
        s_.tracedPercent = 0;
      } else if (v == "trace" && w.size() == 2) {
        s_.tracedPercent = 100;
      } else if (v == "part" && w.size() <= 3) {
        // The word alone traces half.
        const std::optional<int64_t> percent = w.size() == 3 ? Number(w[2]) : std::optional<int64_t>(50);
        if (!percent || *percent < 1 || *percent > 99) return "'outline part' takes a share of 1 ... 99 (percent)";
        s_.tracedPercent = static_cast<int>(*percent);
      } else {
        return "'outline' takes none, trace, or part with a share of 1 ... 99 (percent)";
      }
    } else if (key == "detail") {
      if (auto e = Integers(w, 1, 1, kMaxDetail, n); !e.empty()) return e;
      s_.detail = I(0);
    } else if (key == "line") {
      if (auto e = Integers(w, 1, 1, kMaxLineWidth, n); !e.empty()) return e;
      s_.lineWidth = I(0);
    } else if (key == "target" || key == "stray") {
      if (auto e = Integers(w, 2, 0, kMaxSide - 1, n); !e.empty()) return e;
      auto& list = key == "target" ? s_.targets : s_.strays;
      if (list.size() >= static_cast<size_t>(kMaxPoints)) return "more than 1000 " + key + " points";
      list.push_back({I(0), I(1)});
      if (key == "stray") {
        if (s_.strayChoice == StrayChoice::None) return "'stray' after 'strays none'";
        s_.strayChoice = StrayChoice::Listed;
      }
    } else if (key == "strays") {
      const std::string v = w.size() == 2 ? Lower(w[1]) : "";
      if (v == "none" && s_.strays.empty()) s_.strayChoice = StrayChoice::None;
      else if (v == "others" && s_.strays.empty()) s_.strayChoice = StrayChoice::AllOthers;
      else return "'strays' takes 'others' or 'none', before any 'stray' line";
    } else if (key == "hints") {
      if (w.size() == 2 && Lower(w[1]) == "withheld") {
        s_.hints = HintSetting::Withheld;
      } else {
        // 0 and -1 in the file mean "solution withheld" and "hints withheld".
        if (auto e = Integers(w, 1, 1, kMaxPoints, n); !e.empty()) return "'hints' takes 1 ... 1000 or 'withheld'";
        s_.hints = HintSetting::Limit;
        s_.hintLimit = I(0);
      }
    } else if (key == "solution") {
      if (w.size() != 2 || Lower(w[1]) != "withheld") return "'solution' takes 'withheld'";
      if (seen_.count("hints")) return "'solution withheld' and 'hints' cannot be combined";
      s_.hints = HintSetting::SolutionWithheld;
    } else if (key == "mode") {
      const std::string v = w.size() == 2 ? Lower(w[1]) : "";
      if (v == "normal") s_.mode = ModeLock::Normal;
      else if (v == "crazy") s_.mode = ModeLock::Crazy;
      else if (v == "insane") s_.mode = ModeLock::Insane;
      else if (v == "any") s_.mode = ModeLock::None;
      else return "'mode' takes normal, crazy, insane or any";
    } else if (key == "order") {
      const std::string v = w.size() == 2 ? Lower(w[1]) : "";
      if (v == "rows") s_.order = TargetOrder::Rows;
      else if (v == "columns") s_.order = TargetOrder::Columns;
      else return "'order' takes rows or columns";
    } else {
      return "unknown key '" + std::string(w[0]).substr(0, 40) + "'";
    }
    if (key == "hints" && seen_.count("solution")) return "'solution withheld' and 'hints' cannot be combined";
    return "";
  }

  ParseResult Finish() {
    if (s_.drawing.empty() && !s_.mosaicCells) return Fail(0, "needs 'drawing' or 'mosaic'");
    const bool svgDrawing = Lower(s_.drawing).ends_with(".svg");
    if ((s_.mosaicCells || svgDrawing || s_.drawing.empty()) && !s_.width)
      return Fail(0, "needs 'size' (the drawing is not a BMP)");
    if (s_.hidden.empty() && s_.targets.empty()) return Fail(0, "needs 'hidden' or 'target' points");
    if (s_.mosaicCells && s_.hidden.empty()) return Fail(0, "'mosaic' needs a 'hidden' shape to draw over");
    if (s_.place.IsSet() && !Lower(s_.hidden).ends_with(".svg")) return Fail(0, "'place' needs an SVG 'hidden' shape");
    if (!s_.figures.empty() && !s_.mosaicCells) return Fail(0, "'figure' outlines are drawn across a 'mosaic'");
    if (s_.decoys + static_cast<int>(s_.figures.size()) > kMaxDecoys)
      return Fail(0, "at most " + std::to_string(kMaxDecoys) + " 'decoys' and 'figure' lines together");
    if (s_.width)
      for (const auto* list : {&s_.targets, &s_.strays})
        for (const SourcePoint& p : *list)
          if (p.x >= *s_.width || p.y >= *s_.height)
            return Fail(0, "point " + std::to_string(p.x) + "," + std::to_string(p.y) + " lies outside the picture");
    ParseResult r;
    r.source = s_;
    return r;
  }

  PuzzleSource s_;
  std::set<std::string> seen_;
};

}  // namespace

ParseResult ParsePuzzleSource(std::string_view text) { return Parser().Run(text); }

}  // namespace tintaro::tools
