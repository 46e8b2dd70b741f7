// Reads a solution file: header record, optional option record, then the
// point records, split by kind into the target and stray tables.
#include "core/rules/SolutionFile.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/picture/ByteReader.h"
#include "core/rules/Disturbance.h"
#include "core/Game.h"
#include "core/rules/TableAccess.h"

namespace tintaro {

namespace {

constexpr int32_t kTargetKind = 1;
constexpr int32_t kOptionRecordFollows = 0;
constexpr int32_t kNoSolution = 0;
constexpr int32_t kNoHints = -1;
constexpr int32_t kNormalLock = -4;
constexpr int32_t kCrazyLock = -2;
constexpr int32_t kInsaneLock = -3;

// Nothing past this is ever looked at: header, option record, and at most
// 1000 targets plus 1000 strays plus the record that overflows one table.
constexpr size_t kMaxUsefulRecords = 2 + 2 * PointTableCapacity + 1;
constexpr size_t kMaxUsefulBytes = kMaxUsefulRecords * kSolutionRecordSize;

int32_t WrappingAdd(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

bool ReadRecord(ByteReader& reader, PointRecord& record) {
  if (!reader.CanRead(kSolutionRecordSize)) return false;
  reader.I32(record.X);
  reader.I32(record.Y);
  reader.I32(record.Kind);
  return true;
}

// Reads at most `bytes.size()` bytes of the file. The file is opened for
// writing too, as puzzles always have been: a read-only solution file counts
// as unreadable. Returns false when it cannot be opened or closed; a read
// error just ends the data early, which the caller sees as a short file.
bool ReadHead(const std::string& path, std::array<uint8_t, kMaxUsefulBytes>& bytes, size_t& length) {
  length = 0;
  if (path.empty()) return false;
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return false;
  }
  while (length < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + length, bytes.size() - length);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    length += static_cast<size_t>(n);
  }
  return ::close(fd) == 0;
}

void StartLockedMode(Game& game, PlayMode mode) {
  game.ui.SelectMode(mode);
  game.ui.SetTimerEnabled(GameTimer::Timer2, true);
  if (mode == PlayMode::Crazy) {
    CrazyMode(game);
  } else {
    InsaneMode(game);
  }
}

SolutionReadResult Fail(PuzzleState& state) {
  state.HintsAvailable = false;
  return SolutionReadResult::IoFailure;
}

}  // namespace

SolutionReadResult ReadSolutionFile(Game& game, const std::string& path) {
  PuzzleState& s = game.state;
  std::array<uint8_t, kMaxUsefulBytes> bytes;
  size_t length = 0;
  const bool closed = ReadHead(path, bytes, length);
  // Not opened (or nothing read before a failed close): only the flag changes.
  if (!closed && length == 0) return Fail(s);
  ByteReader reader(std::span<const uint8_t>(bytes.data(), length));

  PointRecord header;
  if (!ReadRecord(reader, header)) return Fail(s);
  s.LastTargetIndex = header.X;
  s.LastStrayIndex = header.Y;
  const int32_t count = WrappingAdd(WrappingAdd(header.X, header.Y), 1);
  s.HintLimit = WrappingAdd(header.X, 1);

  if (header.Kind == kOptionRecordFollows) {
    PointRecord option;
    if (!ReadRecord(reader, option)) return Fail(s);
    if (option.X == kNoSolution) s.SolutionDisabled = true;
    if (option.X == kNoHints) s.HintsDisabled = true;
    s.HintLimit = option.X;
    if (option.Y == kNormalLock) s.NormalOnly = true;
    // A locked mode starts before any point is read and stays on if they fail.
    if (option.Y == kCrazyLock) {
      s.CrazyOnly = true;
      StartLockedMode(game, PlayMode::Crazy);
    }
    if (option.Y == kInsaneLock) {
      s.InsaneOnly = true;
      StartLockedMode(game, PlayMode::Insane);
    }
  }

  if (count >= 0) {
    int32_t lastTarget = -1;
    int32_t lastStray = -1;
    const int64_t records = int64_t{count} + 1;
    for (int64_t n = 0; n < records; ++n) {
      PointRecord point;
      if (!ReadRecord(reader, point)) return Fail(s);
      // The row is checked before it is written: the 1001st of a kind is
      // the range error and leaves the table as it was.
      if (point.Kind == kTargetKind) {
        TargetAt(s, lastTarget + 1) = point;
        ++lastTarget;
      } else {
        StrayAt(s, lastStray + 1) = point;
        ++lastStray;
      }
    }
  }
  if (!closed) return Fail(s);
  return SolutionReadResult::Read;
}

}  // namespace tintaro
