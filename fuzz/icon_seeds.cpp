// Writes the icon fuzz corpus: icons and cursors of several depths, with
// masks, alpha, several images and a PNG entry, made with the tests' builder.
#include <cstdio>
#include <string>
#include <vector>

#include "support/IconBuilder.h"
#include "support/TestFiles.h"

using namespace tintaro::test;

int main(int argc, char** argv) {
  SeedCorpus corpus(".ico");
  auto save = [&](std::vector<uint8_t> bytes) { corpus.Add(std::move(bytes)); };
  auto image = [](int size, int bits) {
    IconImage i;
    i.width = i.height = size;
    i.dib.bitsPerPixel = bits;
    if (bits <= 8) i.dib.palette = {0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00};
    for (int k = 0; k < size * size; ++k) {
      i.pixels.push_back(bits <= 8 ? static_cast<uint32_t>(k % 4 % (1 << bits))
                                   : static_cast<uint32_t>(k * 0x01030507u));
      i.andMask.push_back(static_cast<uint8_t>(k % 5 == 0));
    }
    return i;
  };
  for (int bits : {1, 4, 8, 16, 24, 32}) {
    save(BuildIcon({image(5, bits)}));
    save(BuildIcon({image(4, bits)}, 2));
  }
  IconImage top = image(6, 8);
  top.dib.topDown = true;
  save(BuildIcon({top}));
  IconImage opaque = image(4, 32);
  for (auto& p : opaque.pixels) p &= 0x00FFFFFF;
  save(BuildIcon({opaque}));
  IconImage png;
  png.rawData = PngStub(64, 64);
  save(BuildIcon({image(3, 4), png, image(8, 24), image(8, 8)}));
  return corpus.WriteFromMain(argc, argv);
}
