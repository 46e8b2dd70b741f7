// Metafile bytes for tests and seeds.
#include "support/MetafileBuilder.h"
#include "support/LittleEndian.h"

namespace tintaro::test {

namespace {

void Set32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

std::vector<uint8_t> BuildWmf(const WmfOptions& o) {
  std::vector<uint8_t> out;
  if (o.placeable) {
    AppendU32LE(out, 0x9AC6CDD7);
    AppendU16LE(out, 0);  // handle
    AppendU16LE(out, static_cast<uint16_t>(o.left));
    AppendU16LE(out, static_cast<uint16_t>(o.top));
    AppendU16LE(out, static_cast<uint16_t>(o.right));
    AppendU16LE(out, static_cast<uint16_t>(o.bottom));
    AppendU16LE(out, o.unitsPerInch);
    AppendU32LE(out, 0);  // reserved
    uint16_t checksum = 0;
    for (size_t i = 0; i < 20; i += 2) checksum ^= static_cast<uint16_t>(out[i] | (out[i + 1] << 8));
    AppendU16LE(out, o.breakChecksum ? static_cast<uint16_t>(checksum ^ 1) : checksum);
  }
  const size_t header = out.size();
  AppendU16LE(out, o.type);
  AppendU16LE(out, o.headerWords);
  AppendU16LE(out, o.version);
  AppendU32LE(out, 0);  // size in words, set below
  AppendU16LE(out, 0);  // objects
  AppendU32LE(out, 7);  // largest record in words
  AppendU16LE(out, 0);  // parameters
  // RECTANGLE (0x041B): bottom, right, top, left.
  AppendU32LE(out, 7);
  AppendU16LE(out, 0x041B);
  for (uint16_t v : {40, 60, 10, 10}) AppendU16LE(out, v);
  if (o.windowExt) {
    AppendU32LE(out, 5);
    AppendU16LE(out, 0x020C);
    AppendU16LE(out, static_cast<uint16_t>(o.windowExt->second));  // height first
    AppendU16LE(out, static_cast<uint16_t>(o.windowExt->first));
  }
  if (o.endRecord) {
    AppendU32LE(out, 3);
    AppendU16LE(out, 0x0000);
  }
  Set32(out, header + 6, static_cast<uint32_t>((out.size() - header) / 2));
  return out;
}

std::vector<uint8_t> BuildEmf(const EmfOptions& o) {
  std::vector<uint8_t> out;
  AppendU32LE(out, o.type);
  AppendU32LE(out, o.headerSize);
  for (int32_t v : o.bounds) AppendU32LE(out, static_cast<uint32_t>(v));
  for (int32_t v : o.frame) AppendU32LE(out, static_cast<uint32_t>(v));
  AppendU32LE(out, o.signature);
  AppendU32LE(out, 0x10000);                 // version
  AppendU32LE(out, 0);                       // total size, set below
  AppendU32LE(out, 2);                       // records
  AppendU16LE(out, 1);                       // handles
  AppendU16LE(out, 0);                       // reserved
  AppendU32LE(out, 0);                       // description length
  AppendU32LE(out, 0);                       // description offset
  AppendU32LE(out, 0);                       // palette entries
  AppendU32LE(out, 1920), AppendU32LE(out, 1080);  // reference device, pixels
  AppendU32LE(out, 508), AppendU32LE(out, 286);    // reference device, millimetres
  while (out.size() < o.headerSize) out.push_back(0);
  // EMR_EOF: type 14, size 20, no palette, offset 16, size again.
  AppendU32LE(out, 14);
  AppendU32LE(out, 20);
  AppendU32LE(out, 0);
  AppendU32LE(out, 16);
  AppendU32LE(out, 20);
  Set32(out, 48, o.totalSize.value_or(static_cast<uint32_t>(out.size())));
  return out;
}

}  // namespace tintaro::test
