// The one record of everything the game knows about the current puzzle and
// the run: paths, the three point tables, counters, palette and flags.
// Handlers read and write its fields directly.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace tintaro {

class GameUi;

struct PointRecord {
  int32_t X = 0;
  int32_t Y = 0;
  int32_t Kind = 0;
};

// Kind values of MoveLog rows.
inline constexpr int32_t MoveEmpty = 0;
inline constexpr int32_t MoveLive = 1;
inline constexpr int32_t MoveCancelled = -1;

inline constexpr int PointTableCapacity = 1000;

// A table of PointTableCapacity rows, allocated once; rows are overwritten,
// never added or removed.
using PointTable = std::array<PointRecord, PointTableCapacity>;

// Entries 1 ... 16 of the disturbance palette, 0x00BBGGRR, as set at first
// activation. Index 0 here is entry 1.
inline constexpr std::array<uint32_t, 16> kDisturbPaletteValues = {
    0xFF0000, 0x00FFFF, 0x008000, 0x000080, 0x008080, 0x800080, 0x808000, 0x00FF00,
    0xC0C0C0, 0x800000, 0xC0C0C0, 0xFFFFFF, 0xFFFF00, 0xFF00FF, 0xC0C0C0, 0x008080,
};

struct PuzzleState {
  // Paths; empty means none. Folders carry no trailing separator.
  std::string ProgramDir;
  std::string WorkDir;
  std::string ArchivePath;
  std::string PicturePath;
  std::string SolutionPath;
  std::string CluePath;
  std::string PictureEntryName;

  // The tables exist from first activation until the program ends.
  std::unique_ptr<PointTable> TargetPoints;
  std::unique_ptr<PointTable> StrayPoints;
  std::unique_ptr<PointTable> MoveLog;

  int32_t LastTargetIndex = 0;
  int32_t LastStrayIndex = 0;
  int32_t HintLimit = 0;
  int32_t HintsUsed = 0;
  int32_t LastMove = 0;
  int32_t ScorePercent = 0;
  int32_t LastMouseX = 0;
  int32_t LastMouseY = 0;
  int32_t HintPointX = 0;
  int32_t HintPointY = 0;
  int32_t DisturbCount = 0;

  // Entry n of the palette is DisturbPalette[n - 1]; all zero until first activation.
  std::array<uint32_t, 16> DisturbPalette{};

  bool Finished = false;
  bool IntroPending = false;
  bool WelcomeMode = false;
  bool AutoSolve = false;
  bool HintsAvailable = false;
  bool ClueAvailable = false;
  bool WarnStrayOnce = false;
  bool AskBeforeHint = false;
  bool LogMode = false;
  bool DiskFull = false;
  bool ArchiveCorrupt = false;
  bool NotAnArchive = false;
  bool HintsDisabled = false;
  bool SolutionDisabled = false;
  bool CrazyOnly = false;
  bool InsaneOnly = false;
  bool NormalOnly = false;
  bool MovedSinceDisturb = false;
};

// The closing assignments of main-window creation, after the folders, the
// log flag and the archive component have been set up by the shell.
void ResetAtWindowCreation(PuzzleState& state);

// Steps 1-6 of every activation while the intro is pending: palette, Timer2
// at 100 ms, HintsUsed, the tables (made once, kept after), the availability
// flags, the Clue window hidden. The shell then opens the log, sets HintsUsed
// to 0 again and starts the intro.
void PrepareFirstActivation(PuzzleState& state, GameUi& ui);

// What the Load command does before its file dialog opens, chosen or not.
void PrepareLoadCommand(PuzzleState& state, GameUi& ui);

// The load reset, run once a file has been chosen and before anything is
// extracted: deletes the previous puzzle's extracted files, stops Timer2,
// re-enables the commands and resets the per-puzzle fields. The archive's
// error code is the shell's to clear right after.
void ResetForLoad(PuzzleState& state, GameUi& ui);

}  // namespace tintaro
