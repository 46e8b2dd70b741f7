// The texts the shell shows and the names it hands to the windows, spaces
// and line breaks included.
#pragma once

#include <cstddef>
#include <string>

namespace tintaro::shellmsg {

inline constexpr const char* kCaption = "Tintaro! - Revolutionary Color Puzzle";
// The open puzzle's file name follows this.
inline constexpr const char* kCaptionWithFile = "Tintaro! - Revolutionary Color Puzzle - ";

inline constexpr const char* kOpenTitle = "Load Puzzle";
inline constexpr const char* kOpenFilter =
    "Tintaro Puzzle|*.tro|Picture|*.png;*.jpg;*.jpeg;*.webp;*.gif;*.bmp;*.svg|All Files|*.*";

inline constexpr const char* kNotAPuzzle = "            This is not a Puzzle file            ";
inline constexpr const char* kDiskFull = "            Not enough free space on disk            ";
inline constexpr const char* kNoMemory = "            Not enough memory            ";
inline constexpr const char* kCorrupted = "            The Puzzle file is corrupted           ";
inline constexpr const char* kEngineMissing =
    "                libunzeng.so is missing            \r\n\r\n            Please reinstall the program            ";
// The folder the log could not be made in follows this.
inline constexpr const char* kCannotWrite = "Can not perform write to ";
inline constexpr const char* kExtractFailed = "Error in Extract; Fatal DLL Exception in mainunit";
// Making a puzzle of a picture.
inline constexpr const char* kMakingPuzzle = "Making a puzzle of ";
inline constexpr const char* kTromakeMissing =
    "            tromake is missing            \r\n\r\n"
    "It makes a puzzle of a picture; please reinstall the program.";
inline std::string MakingRefused(const std::string& name, const std::string& reason) {
  return "No puzzle could be made of " + name + ":\r\n\r\n" + reason;
}
inline std::string MakingTooLong(const std::string& name, int seconds) {
  return "Making a puzzle of " + name + " took longer than " + std::to_string(seconds) +
         " seconds and was stopped.\r\n\r\nTry a smaller picture or an easier puzzle.";
}
inline constexpr const char* kMakingNotStarted = "tromake could not be started.";
inline constexpr const char* kMakingFailed = "tromake stopped without a reason.";
inline constexpr const char* kNoWorkFolder = "There is no work folder to make the puzzle in.";
inline constexpr const char* kOfferSave = "The puzzle is made.\r\n\r\nSave it as a .tro file, to play again or share?";
inline constexpr const char* kSaveTitle = "Save Puzzle";
inline constexpr const char* kSaveFilter = "Tintaro Puzzle|*.tro";
inline std::string SaveFailed(const std::string& path) { return "The puzzle could not be saved as " + path; }
// Several files dropped at once: the first is opened.
inline std::string OnlyFirstDropped(size_t count, const std::string& first) {
  return std::to_string(count) + " files were dropped; only the first, " + first + ", is opened.";
}
inline constexpr const char* kWelcome = "               Welcome!            \r\n\r\n           Load a Puzzle!            ";

// The main window's Help names the file in capitals, the About box in mixed case.
inline constexpr const char* kHelpFile = "TRO.HLP";
inline constexpr const char* kAboutHelpFile = "Tro.hlp";
inline constexpr const char* kHelpTopic = "IDH_Intro";

inline constexpr const char* kIntroArchive = "TRO3.trz";
inline constexpr const char* kIntroPicture = "TRO3.bmp";
inline constexpr const char* kLogFile = "TRO.log";

}  // namespace tintaro::shellmsg
