// Signatures and fixed sizes of the zip records the component reads.
#pragma once

#include <cstdint>

namespace tintaro {

inline constexpr uint32_t kLocalHeaderSig = 0x04034b50;    // 30 bytes + name + extra
inline constexpr uint32_t kCentralHeaderSig = 0x02014b50;  // 46 bytes + name + extra + comment
inline constexpr uint32_t kEndRecordSig = 0x06054b50;      // 22 bytes + comment
inline constexpr uint32_t kSpanMarkerSig = 0x08074b50;     // first 4 bytes of a spanned set
inline constexpr int kLocalHeaderSize = 30;
inline constexpr int kCentralHeaderSize = 46;
inline constexpr int kEndRecordSize = 22;
inline constexpr int kDataDescriptorSize = 16;
inline constexpr int kMaxComment = 65535;

}  // namespace tintaro
