// The message catalogue of the archive component and its formatting.
#include "archive/ZipText.h"

#include <algorithm>
#include <array>

namespace tintaro {

namespace {

constexpr std::array kRows = {
    MessageRow{10101, "Fatal Error in libzipeng.so: abort exception"},
    MessageRow{10102, "Error - no zip file specified!"},
    MessageRow{10103, "Requested memory not available"},
    MessageRow{10104, "Error - passwords do NOT match\nPassword ignored"},
    MessageRow{10105, "Copying: "},
    MessageRow{10140, "Error while copying the SFX header"},
    MessageRow{10141, "Rename is not implemented for a spanned zip file"},
    MessageRow{10142, "Processing: "},
    MessageRow{10143, " renamed to: "},
    MessageRow{10150, "Error - no add password given"},
    MessageRow{10151, "Error - no extract password given"},
    MessageRow{10152, "&Ok"},
    MessageRow{10153, "&Cancel"},
    MessageRow{10154, "Password"},
    MessageRow{10155, "Enter Password "},
    MessageRow{10156, "Confirm Password "},
    MessageRow{10180, "Source archive is the same as the destination archive!"},
    MessageRow{10181, "Overwrite file '%s' in '%s' ?"},
    MessageRow{10182, "Copying a file from '%s' to '%s' failed"},
    MessageRow{10183, "File '%s' is not present in '%s'!"},
    MessageRow{10184, "Error while copying the SFX data"},
    MessageRow{10185, "Destination zip archive could not be opened!"},
    MessageRow{10201, "Seek error reading Zip archive!"},
    MessageRow{10202, "Unknown error in List() function\n"},
    MessageRow{10203, "Warning - Error in zip structure!"},
    MessageRow{10204, "Warning - Garbage at the end of the zipfile!"},
    MessageRow{10301, "Error - no files to zip!"},
    MessageRow{10302, "Unattended action not possible without a password"},
    MessageRow{10303, "AddFreshen or AddUpdate not possible on a spanned archive"},
    MessageRow{10304, "Error %.1d occurred during Auto SFX creation."},
    MessageRow{10305, "Error - your libzipeng.so can not use streams, please update to version >= 1.60"},
    MessageRow{10306, "Input stream may not be set to the output stream"},
    MessageRow{10307, "Wildcards are not allowed in Filename or file specification"},
    MessageRow{10401, "Error - no files selected for deletion"},
    MessageRow{10501, "Fatal Error in libunzeng.so: abort exception"},
    MessageRow{10502, "Warning - Unattended Extract: possible not all files extracted"},
    MessageRow{10503, "Error - your libunzeng.so can not use streams, please update to version >= 1.60"},
    MessageRow{10601, "ZIPENG Loaded"},
    MessageRow{10602, "ZipEngExec function not found in libzipeng.so!"},
    MessageRow{10603, "GetZipEngVersion function not found in libzipeng.so!"},
    MessageRow{10604, "libzipeng.so not found!"},
    MessageRow{10701, "UNZENG Loaded!"},
    MessageRow{10702, "UnzEngExec function not found in libunzeng.so!"},
    MessageRow{10703, "GetUnzEngVersion function not found in libunzeng.so!"},
    MessageRow{10704, "libunzeng.so not found!"},
    MessageRow{10801, "Error - On or more of the 4 property strings mentioned below exceeds 255 characters!"},
    MessageRow{10802, "Error - SFXSTUB.BIN not found!"},
    MessageRow{10803, "Error: input file is not a zip file"},
    MessageRow{10901, "Error - no .EXE file specified"},
    MessageRow{10902, "Error: input file is not an .EXE file"},
    MessageRow{10903, "Error determining the type of SFX archive"},
    MessageRow{11001, "Input file does not exist"},
    MessageRow{11002, "Zip file could not be opened"},
    MessageRow{11003, "Not a valid drive: %s"},
    MessageRow{11004, "Drive %s is NOT defined"},
    MessageRow{11005, "Volume label could not be set"},
    MessageRow{11006, "Not enough memory to display MsgBox"},
    MessageRow{11007, "User canceled operation"},
    MessageRow{11008, "Seek error in input file"},
    MessageRow{11009, "Creation of output file failed"},
    MessageRow{11010, "Write error in output file"},
    MessageRow{11011, "Error while reading the End Of Central Directory"},
    MessageRow{11012, "Error while reading a local header"},
    MessageRow{11013, "Error while reading a central header"},
    MessageRow{11014, "A local header signature is wrong"},
    MessageRow{11015, "A central header signature is wrong"},
    MessageRow{11016, "Error while reading a local file name"},
    MessageRow{11017, "Error while reading a central file name"},
    MessageRow{11018, "Error while reading a local extra field"},
    MessageRow{11019, "Error while reading a central extra field"},
    MessageRow{11020, "Error while reading/writing a data descriptor area"},
    MessageRow{11021, "Error while reading zipped data"},
    MessageRow{11022, "Error while reading a file comment"},
    MessageRow{11023, "Error while reading the archive comment"},
    MessageRow{11024, "UnKnown error in function ReadSpan(), WriteSpan(), Rename() or CopyZippedFiles()\n"},
    MessageRow{11025, "Unattended disk spanning not implemented"},
    MessageRow{11026, "A local header not found in internal structure"},
    MessageRow{11027, "Temporary file could not be created"},
    MessageRow{11028, "Error while writing a local header"},
    MessageRow{11029, "Error while writing a central header"},
    MessageRow{11030, "Error while writing the End Of Central Directory"},
    MessageRow{11031, "Error while reading a Extended Local signature"},
    MessageRow{11032, "This disk has not enough free space available"},
    MessageRow{11033, "Please insert last disk"},
    MessageRow{11034, "Please insert disk volume %.1d of %.1d"},
    MessageRow{11035, "\nin drive: %s"},
    MessageRow{11036, "This archive is not a valid Zip archive"},
    MessageRow{11037, "This is the first disk in a backup set,\nplease insert the last disk of this set"},
    MessageRow{11038, "This is the %dth disk in a backup set,\nplease insert the last disk of this set"},
    MessageRow{11039, "There is already a file %s\nDo you want to overwrite this file"},
    MessageRow{11040, "ATTENTION: This is previous disk no %d!!!\nAre you sure you want to overwrite the contents"},
    MessageRow{11041, "Error - Self extracting archives(.exe) can not be spanned"},
    MessageRow{11042, "Error while copying a filename of a CEH structure"},
    MessageRow{11043, "Seek error while skipping a EOC structure"},
    MessageRow{11044, "Error while copying the zip archive comment"},
    MessageRow{11045, "This is the first file in a backup set,\nplease choose the last file of this set"},
    MessageRow{11046, "Please insert disk volume %.1d"},
    MessageRow{11047, "Central directory"},
};

}  // namespace

std::span<const MessageRow> MessageCatalogue() { return kRows; }

std::string LoadMessageText(int number, const std::string& defaultText) {
  auto it = std::lower_bound(kRows.begin(), kRows.end(), number,
                             [](const MessageRow& row, int n) { return row.Number < n; });
  if (it != kRows.end() && it->Number == number && it->Text[0] != '\0') return it->Text;
  return defaultText;
}

std::string MissingMessageText(int number) {
  return "ZipTextXX.res is probably not bound to executable\nMissing String ID is: " +
         std::to_string(number);
}

std::string FormatMessageText(const std::string& text, std::span<const std::string> args) {
  std::string out;
  out.reserve(text.size() + 32);
  size_t next = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    size_t len = 0;
    if (text.compare(i, 2, "%s") == 0 || text.compare(i, 2, "%d") == 0) len = 2;
    else if (text.compare(i, 4, "%.1d") == 0) len = 4;
    if (len == 0) {
      out += '%';
      continue;
    }
    if (next < args.size()) out += args[next++];
    i += len - 1;
  }
  return out;
}

}  // namespace tintaro
