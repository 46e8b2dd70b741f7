// Conversion of OEM (code page 437) text to the system's character set, UTF-8.
#pragma once

#include <string>

namespace tintaro {

// Each byte of 0x80 or above becomes the UTF-8 form of its code page 437
// character; other bytes stay. The character count never changes.
std::string OemToUtf8(const std::string& text);

}  // namespace tintaro
