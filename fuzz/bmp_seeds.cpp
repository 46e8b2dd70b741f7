// Writes the BMP fuzz corpus: one small file per header kind, depth and
// compression, made with the tests' BMP builder.
#include <cstdio>
#include <string>
#include <vector>

#include "support/BmpBuilder.h"

using namespace tintaro::test;

int main(int argc, char** argv) {
  SeedCorpus corpus(".bmp");
  auto save = [&](std::vector<uint8_t> bytes) { corpus.Add(std::move(bytes)); };
  const int w = 7, h = 5;
  std::vector<uint32_t> colours, indices;
  for (int i = 0; i < w * h; ++i) {
    colours.push_back(static_cast<uint32_t>(i * 0x050301));
    indices.push_back(static_cast<uint32_t>(i % 3 == 0 ? 1 : i % 4));
  }
  const std::vector<uint32_t> palette = {0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00};
  for (DibHeaderKind kind : {DibHeaderKind::Core12, DibHeaderKind::Info40, DibHeaderKind::Info52,
                             DibHeaderKind::Info56, DibHeaderKind::V4, DibHeaderKind::V5}) {
    for (int bits : {1, 4, 8, 16, 24, 32}) {
      BmpOptions o;
      o.header = kind;
      o.bitsPerPixel = bits;
      if (bits <= 8) o.palette = palette;
      save(BuildBmp(w, h, bits <= 8 ? indices : colours, o));
      if (kind != DibHeaderKind::Core12) {
        o.topDown = true;
        save(BuildBmp(w, h, bits <= 8 ? indices : colours, o));
      }
      if (kind != DibHeaderKind::Core12 && (bits == 16 || bits == 32)) {
        BmpOptions f = o;
        f.compression = kBitfields;
        f.masks = bits == 16 ? std::array<uint32_t, 4>{0xF800, 0x07E0, 0x001F, 0}
                             : std::array<uint32_t, 4>{0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000};
        save(BuildBmp(w, h, colours, f));
      }
    }
    if (kind == DibHeaderKind::Core12) continue;
    BmpOptions r8;
    r8.header = kind;
    r8.bitsPerPixel = 8;
    r8.compression = kRle8;
    r8.palette = palette;
    r8.pixelData = EncodeRle8(w, h, indices);
    save(BuildBmp(w, h, {}, r8));
    BmpOptions r4 = r8;
    r4.bitsPerPixel = 4;
    r4.compression = kRle4;
    r4.pixelData = EncodeRle4(w, h, indices);
    save(BuildBmp(w, h, {}, r4));
  }
  // Escapes the simple encoder never writes: literals, deltas, early end.
  BmpOptions esc;
  esc.bitsPerPixel = 8;
  esc.compression = kRle8;
  esc.palette = palette;
  esc.pixelData = std::vector<uint8_t>{0, 3, 1, 2, 3, 0, 0, 2, 2, 1, 4, 1, 0, 0, 0, 5, 1, 2, 3, 1, 2, 0, 0, 1};
  save(BuildBmp(w, h, {}, esc));
  esc.bitsPerPixel = 4;
  esc.compression = kRle4;
  save(BuildBmp(w, h, {}, esc));
  return corpus.WriteFromMain(argc, argv);
}
