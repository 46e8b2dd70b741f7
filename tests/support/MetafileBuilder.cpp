// Metafile bytes for tests and seeds.
#include "support/MetafileBuilder.h"

namespace tintaro::test {

namespace {

void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, static_cast<uint16_t>(v));
  Put16(out, static_cast<uint16_t>(v >> 16));
}
void Set32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

std::vector<uint8_t> BuildWmf(const WmfOptions& o) {
  std::vector<uint8_t> out;
  if (o.placeable) {
    Put32(out, 0x9AC6CDD7);
    Put16(out, 0);  // handle
    Put16(out, static_cast<uint16_t>(o.left));
    Put16(out, static_cast<uint16_t>(o.top));
    Put16(out, static_cast<uint16_t>(o.right));
    Put16(out, static_cast<uint16_t>(o.bottom));
    Put16(out, o.unitsPerInch);
    Put32(out, 0);  // reserved
    uint16_t checksum = 0;
    for (size_t i = 0; i < 20; i += 2) checksum ^= static_cast<uint16_t>(out[i] | (out[i + 1] << 8));
    Put16(out, o.breakChecksum ? static_cast<uint16_t>(checksum ^ 1) : checksum);
  }
  const size_t header = out.size();
  Put16(out, o.type);
  Put16(out, o.headerWords);
  Put16(out, o.version);
  Put32(out, 0);  // size in words, set below
  Put16(out, 0);  // objects
  Put32(out, 7);  // largest record in words
  Put16(out, 0);  // parameters
  // RECTANGLE (0x041B): bottom, right, top, left.
  Put32(out, 7);
  Put16(out, 0x041B);
  for (uint16_t v : {40, 60, 10, 10}) Put16(out, v);
  if (o.windowExt) {
    Put32(out, 5);
    Put16(out, 0x020C);
    Put16(out, static_cast<uint16_t>(o.windowExt->second));  // height first
    Put16(out, static_cast<uint16_t>(o.windowExt->first));
  }
  if (o.endRecord) {
    Put32(out, 3);
    Put16(out, 0x0000);
  }
  Set32(out, header + 6, static_cast<uint32_t>((out.size() - header) / 2));
  return out;
}

std::vector<uint8_t> BuildEmf(const EmfOptions& o) {
  std::vector<uint8_t> out;
  Put32(out, o.type);
  Put32(out, o.headerSize);
  for (int32_t v : o.bounds) Put32(out, static_cast<uint32_t>(v));
  for (int32_t v : o.frame) Put32(out, static_cast<uint32_t>(v));
  Put32(out, o.signature);
  Put32(out, 0x10000);                 // version
  Put32(out, 0);                       // total size, set below
  Put32(out, 2);                       // records
  Put16(out, 1);                       // handles
  Put16(out, 0);                       // reserved
  Put32(out, 0);                       // description length
  Put32(out, 0);                       // description offset
  Put32(out, 0);                       // palette entries
  Put32(out, 1920), Put32(out, 1080);  // reference device, pixels
  Put32(out, 508), Put32(out, 286);    // reference device, millimetres
  while (out.size() < o.headerSize) out.push_back(0);
  // EMR_EOF: type 14, size 20, no palette, offset 16, size again.
  Put32(out, 14);
  Put32(out, 20);
  Put32(out, 0);
  Put32(out, 16);
  Put32(out, 20);
  Set32(out, 48, o.totalSize.value_or(static_cast<uint32_t>(out.size())));
  return out;
}

}  // namespace tintaro::test
