// Appending little-endian fields to a byte vector, for the test builders.
#pragma once

#include <cstdint>
#include <vector>

namespace tintaro::test {

inline void AppendU16LE(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

inline void AppendU32LE(std::vector<uint8_t>& out, uint32_t v) {
  AppendU16LE(out, v & 0xFFFF);
  AppendU16LE(out, v >> 16);
}

}  // namespace tintaro::test
