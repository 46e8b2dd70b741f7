// The three resets of the puzzle state, each a fixed list in a fixed order.
#include "core/PuzzleState.h"

#include "core/GameUi.h"

namespace tintaro {

namespace {

void MakeTable(std::unique_ptr<PointTable>& table) {
  // Made once with every value 0; an existing table keeps its contents.
  if (!table) table = std::make_unique<PointTable>();
}

constexpr CommandButton kCommandButtons[] = {CommandButton::Repaint, CommandButton::Clue,
                                             CommandButton::Hint, CommandButton::Giveup,
                                             CommandButton::Options};

}  // namespace

void ResetAtWindowCreation(PuzzleState& state) {
  state.IntroPending = true;
  state.SolutionDisabled = false;
  state.HintsDisabled = false;
  state.DiskFull = false;
}

void PrepareFirstActivation(PuzzleState& state, GameUi& ui) {
  state.DisturbPalette = kDisturbPaletteValues;
  ui.SetTimerInterval(GameTimer::Timer2, 100);
  state.HintsUsed = 0;
  MakeTable(state.TargetPoints);
  MakeTable(state.StrayPoints);
  MakeTable(state.MoveLog);
  state.HintsAvailable = true;
  state.ClueAvailable = true;
  state.AutoSolve = false;
  state.Finished = false;
  ui.HideClueWindow();
}

void PrepareLoadCommand(PuzzleState& state, GameUi& ui) {
  ui.HideAboutBox();
  state.IntroPending = false;
  state.AutoSolve = false;
}

void ResetForLoad(PuzzleState& state, GameUi& ui) {
  ui.DeleteExtractedFiles();
  ui.SetTimerEnabled(GameTimer::Timer2, false);
  for (CommandButton button : kCommandButtons) {
    ui.SetButtonEnabled(button, true);
    ui.SetButtonIndeterminate(button, false);
  }
  ui.SetRepaintDown(true);
  state.LastMove = -1;
  MakeTable(state.MoveLog);
  state.MoveLog->fill(PointRecord{});
  state.DiskFull = false;
  state.ArchiveCorrupt = false;
  state.NotAnArchive = false;
  state.WelcomeMode = false;
  state.HintsDisabled = false;
  state.SolutionDisabled = false;
  state.NormalOnly = false;
  state.CrazyOnly = false;
  state.InsaneOnly = false;
  state.WarnStrayOnce = true;
  state.AskBeforeHint = true;
  state.HintsAvailable = true;
  state.ClueAvailable = true;
  state.AutoSolve = false;
  state.Finished = false;
  ui.HideClueWindow();
  ui.SelectMode(PlayMode::Normal);
  state.HintsUsed = 0;
}

}  // namespace tintaro
