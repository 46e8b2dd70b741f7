// The texts the rules show to the player, spaces and line breaks included.
#pragma once

namespace tintaro::msg {

inline constexpr const char* kThatIsIt =
    "            That is it, folks!           \r\n\r\n           Load new Puzzle!            ";
inline constexpr const char* kMoveLimit =
    "         You have exceeded the limit       \r\n\r\n               of trials and errors.         "
    "\r\n\r\n                Please start over!           ";
inline constexpr const char* kReloadPuzzle = "            Please reload the Puzzle file            ";
inline constexpr const char* kStrayWarning =
    "                     WARNING!       \r\n\r\n              You should repaint all        "
    "\r\n\r\n             irrelevant RED contours!       ";
inline constexpr const char* kKeepGoing =
    "                Keep going!           \r\n\r\n           You're not there yet!            ";
// The score and kCongratulationsEnd follow this.
inline constexpr const char* kCongratulations =
    "         CONGRATULATIONS!       \r\n\r\n                You've got it!        "
    "\r\n\r\n               Hints Used ";
inline constexpr const char* kCongratulationsEnd = "%       ";
inline constexpr const char* kHintsNotAvailable = "Sorry, Hints are not available for this puzzle";
inline constexpr const char* kSolutionNotAvailable = "Sorry, Solution is not available for this puzzle";
inline constexpr const char* kClueNotAvailable = "Sorry, Clue is not available for this puzzle";
inline constexpr const char* kSolveYourself = "Wouldn't it be nice to solve the puzzle all by yourself?";
inline constexpr const char* kHintLimit =
    "          Limit of Hints is over!       \r\n\r\n               From now on         "
    "\r\n\r\n           you're on your own!       ";
inline constexpr const char* kReallyGiveUp = "Are you really giving up?";
inline constexpr const char* kNormalOnly = "This puzzle is supposed to be solved in Normal Mode only";
inline constexpr const char* kCrazyOnly = "This puzzle is supposed to be solved in Crazy Mode only";
inline constexpr const char* kInsaneOnly = "This puzzle is supposed to be solved in Insane Mode only";

}  // namespace tintaro::msg
