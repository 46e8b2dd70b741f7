// The archive component's numbered message texts and the lookup that falls
// back to a default when a number has no text.
#pragma once

#include <span>
#include <string>

namespace tintaro {

struct MessageRow {
  int Number;
  const char* Text;
};

// Every row of the catalogue, in number order, including the rows that belong
// to features this program does not have (adding, deleting, self-extractors).
std::span<const MessageRow> MessageCatalogue();

// The catalogue text of `number`, or `defaultText` when it has no non-empty text.
std::string LoadMessageText(int number, const std::string& defaultText);

// The text used when a number has no catalogue row.
std::string MissingMessageText(int number);

// Substitutes the printf-style placeholders %s, %d and %.1d of a catalogue
// text in order with `args`. Anything else after '%' is copied as it is, so a
// text never drives a real printf.
std::string FormatMessageText(const std::string& text, std::span<const std::string> args);

}  // namespace tintaro
