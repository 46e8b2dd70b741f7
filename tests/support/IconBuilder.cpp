// Byte-by-byte icon and cursor writer for tests and seeds.
#include "support/IconBuilder.h"
#include "support/LittleEndian.h"

namespace tintaro::test {

namespace {
void Put32BE(std::vector<uint8_t>& b, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<uint8_t>(v >> s));
}
}  // namespace

std::vector<uint8_t> BuildIconImage(const IconImage& image) {
  if (image.rawData) return *image.rawData;
  BmpOptions o = image.dib;
  if (!o.heightField) o.heightField = o.topDown ? -2 * image.height : 2 * image.height;
  std::vector<uint8_t> b = BuildDib(image.width, image.height, image.pixels, o);
  const size_t stride = (static_cast<size_t>(image.width) + 31) / 32 * 4;
  for (int i = 0; i < image.height; ++i) {
    const int y = o.topDown ? i : image.height - 1 - i;
    std::vector<uint8_t> row(stride, 0);
    if (!image.andMask.empty()) {
      for (int x = 0; x < image.width; ++x)
        if (image.andMask[static_cast<size_t>(y) * image.width + x]) row[x / 8] |= 0x80 >> (x % 8);
    }
    b.insert(b.end(), row.begin(), row.end());
  }
  return b;
}

std::vector<uint8_t> BuildIcon(const std::vector<IconImage>& images, uint16_t type,
                               std::optional<uint16_t> countField, uint16_t reserved) {
  std::vector<uint8_t> b;
  AppendU16LE(b, reserved);
  AppendU16LE(b, type);
  AppendU16LE(b, countField.value_or(static_cast<uint16_t>(images.size())));
  std::vector<std::vector<uint8_t>> data;
  for (const IconImage& image : images) data.push_back(BuildIconImage(image));
  uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    const IconImage& image = images[i];
    b.push_back(static_cast<uint8_t>(image.width >= 256 ? 0 : image.width));
    b.push_back(static_cast<uint8_t>(image.height >= 256 ? 0 : image.height));
    b.push_back(0);  // colour count
    b.push_back(0);
    AppendU16LE(b, type == 2 ? 0 : 1);  // planes, or a cursor's hot spot x
    AppendU16LE(b, type == 2 ? 0 : image.bitCountField);
    AppendU32LE(b, image.sizeField.value_or(static_cast<uint32_t>(data[i].size())));
    AppendU32LE(b, image.offsetField.value_or(offset));
    offset += static_cast<uint32_t>(data[i].size());
  }
  for (const auto& d : data) b.insert(b.end(), d.begin(), d.end());
  return b;
}

std::vector<uint8_t> PngStub(int width, int height) {
  std::vector<uint8_t> b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Put32BE(b, 13);
  for (char c : {'I', 'H', 'D', 'R'}) b.push_back(static_cast<uint8_t>(c));
  Put32BE(b, static_cast<uint32_t>(width));
  Put32BE(b, static_cast<uint32_t>(height));
  for (uint8_t v : {8, 6, 0, 0, 0}) b.push_back(v);  // 8-bit RGBA
  Put32BE(b, 0);  // CRC, not checked by anyone here
  return b;
}

}  // namespace tintaro::test
