// Text from outside (archive entry names, paths, faults that quote them)
// made safe to print: escape sequences in a hostile name must not reach the
// terminal, and JSON output must stay valid JSON whatever bytes a name holds.
#pragma once

#include <string>
#include <string_view>

namespace tintaro::tools {

// For plain output. Printable UTF-8 is kept; a backslash is doubled; control
// bytes and bytes that are not UTF-8 become \xNN; C1 controls, bidirectional
// overrides and line separators become \uNNNN.
std::string PrintableText(std::string_view text);

// A JSON string literal, quotes included. Bytes that are not UTF-8 become
// U+FFFD; control and formatting characters are written as \uNNNN.
std::string JsonString(std::string_view text);

}  // namespace tintaro::tools
