// What in an SVG drawing would make Qt's renderer read another file. Qt
// loads an <image> from any path or file: URL it is given, relative ones
// from the current folder, and a drawing's pixels end up in a puzzle meant
// for sharing; so a drawing must be self-contained.
#pragma once

#include <cstdint>
#include <string>

namespace tintaro::tools {

// What one drawing may cost: Qt decodes each inline picture as it parses,
// and draws each element and picture as often as <use> links repeat it.
// Within these, any drawing is read and drawn in seconds and a few hundred
// MiB.
inline constexpr int64_t kMaxSvgPicturePixels = int64_t{32} << 20;
inline constexpr int64_t kMaxSvgDrawnElements = 2'000'000;

// Empty when the SVG text refers to nothing outside itself: every link is to
// an element of the same document ("#id") or an inline picture (a base64
// "data:" URL holding a PNG, JPEG, GIF or BMP; an inline SVG could link out in
// turn), and drawing it stays within the limits above. Else the fault. Text
// that is not well-formed XML is refused too, as it cannot be vouched for.
std::string SvgReferenceFault(const std::string& svgText);

}  // namespace tintaro::tools
