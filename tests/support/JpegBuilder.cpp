// JPEG files for tests and seeds, compressed by libjpeg into memory.
#include "support/JpegBuilder.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <jpeglib.h>  // after <cstdio>: it needs FILE and size_t

namespace tintaro::test {

namespace {

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

void ErrorExit(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1); }

int Components(const JpegOptions& options) {
  return options.cmyk ? 4 : options.greyscale ? 1 : options.twoComponents ? 2 : 3;
}

// Writes one row of samples for the chosen layout.
void FillRow(const uint32_t* pixels, int width, const JpegOptions& options, std::vector<uint8_t>& row) {
  const int components = Components(options);
  row.resize(static_cast<size_t>(width) * components);
  for (int x = 0; x < width; ++x) {
    const uint8_t r = pixels[x] & 0xFF, g = (pixels[x] >> 8) & 0xFF, b = (pixels[x] >> 16) & 0xFF;
    uint8_t* out = row.data() + static_cast<size_t>(x) * components;
    if (options.cmyk) {
      // Inks C = 255 - R and so on with no black; Adobe stores 255 - ink.
      if (options.plainInks) {
        out[0] = 255 - r, out[1] = 255 - g, out[2] = 255 - b, out[3] = 0;
      } else {
        out[0] = r, out[1] = g, out[2] = b, out[3] = 255;
      }
    } else if (options.greyscale) {
      out[0] = r;
    } else if (options.twoComponents) {
      out[0] = r, out[1] = g;
    } else {
      out[0] = r, out[1] = g, out[2] = b;
    }
  }
}

// Compresses with all libjpeg state kept in this frame, so a longjmp from
// libjpeg only needs the cleanup the caller does.
bool Compress(jpeg_compress_struct& info, ErrorManager& error, int width, int height,
              const std::vector<uint32_t>& pixels, const JpegOptions& options, std::vector<uint8_t>& row,
              unsigned char** buffer, unsigned long* size) {
  if (setjmp(error.jump)) return false;
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, buffer, size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = Components(options);
  info.in_color_space = options.cmyk            ? JCS_CMYK
                        : options.greyscale     ? JCS_GRAYSCALE
                        : options.twoComponents ? JCS_UNKNOWN
                                                : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, options.quality, TRUE);
  if (Components(options) == 3) {
    const int factor = options.subsample ? 2 : 1;
    info.comp_info[0].h_samp_factor = factor;
    info.comp_info[0].v_samp_factor = factor;
    info.comp_info[1].h_samp_factor = info.comp_info[1].v_samp_factor = 1;
    info.comp_info[2].h_samp_factor = info.comp_info[2].v_samp_factor = 1;
  }
  if (options.cmyk && options.plainInks) info.write_Adobe_marker = FALSE;
  if (options.progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    FillRow(pixels.data() + static_cast<size_t>(info.next_scanline) * width, width, options, row);
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  return true;
}

// Offsets of the markers of a JPEG, in order: each entry is where an FF xx
// marker starts. Entropy data is skipped; stuffed bytes and restart
// markers inside it are not markers.
std::vector<size_t> MarkerOffsets(const std::vector<uint8_t>& jpeg) {
  std::vector<size_t> offsets;
  size_t i = 2;  // after SOI
  offsets.push_back(0);
  while (i + 1 < jpeg.size()) {
    if (jpeg[i] != 0xFF) throw std::runtime_error("JPEG marker expected");
    const uint8_t marker = jpeg[i + 1];
    offsets.push_back(i);
    if (marker == 0xD9) break;
    const size_t length = (static_cast<size_t>(jpeg[i + 2]) << 8) | jpeg[i + 3];
    i += 2 + length;
    if (marker == 0xDA) {
      while (i + 1 < jpeg.size() &&
             !(jpeg[i] == 0xFF && jpeg[i + 1] != 0x00 && (jpeg[i + 1] < 0xD0 || jpeg[i + 1] > 0xD7))) {
        ++i;
      }
    }
  }
  return offsets;
}

}  // namespace

std::vector<uint8_t> BuildJpeg(int width, int height, const std::vector<uint32_t>& pixels,
                               const JpegOptions& options) {
  if (pixels.size() != static_cast<size_t>(width) * static_cast<size_t>(height)) {
    throw std::invalid_argument("BuildJpeg: pixel count does not match the size");
  }
  jpeg_compress_struct info{};
  ErrorManager error{};
  info.err = jpeg_std_error(&error.pub);
  error.pub.error_exit = ErrorExit;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  std::vector<uint8_t> row;
  const bool ok = Compress(info, error, width, height, pixels, options, row, &buffer, &size);
  jpeg_destroy_compress(&info);
  std::vector<uint8_t> bytes;
  if (ok) bytes.assign(buffer, buffer + size);
  std::free(buffer);
  if (!ok) throw std::runtime_error("BuildJpeg: libjpeg refused the picture");
  return bytes;
}

std::vector<uint32_t> GradientPixels(int width, int height) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint32_t r = width > 1 ? static_cast<uint32_t>(x * 255 / (width - 1)) : 128;
      uint32_t g = height > 1 ? static_cast<uint32_t>(y * 255 / (height - 1)) : 128;
      uint32_t b = 96;
      // A flat saturated block in the top-left quarter.
      if (x < width / 4 && y < height / 4) r = 230, g = 40, b = 30;
      pixels[static_cast<size_t>(y) * width + x] = r | (g << 8) | (b << 16);
    }
  }
  return pixels;
}

void SetJpegFrameSize(std::vector<uint8_t>& jpeg, uint16_t width, uint16_t height) {
  for (size_t offset : MarkerOffsets(jpeg)) {
    const uint8_t marker = jpeg[offset + 1];
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
      // FF Cn, length (2), precision (1), height (2), width (2).
      jpeg[offset + 5] = static_cast<uint8_t>(height >> 8);
      jpeg[offset + 6] = static_cast<uint8_t>(height);
      jpeg[offset + 7] = static_cast<uint8_t>(width >> 8);
      jpeg[offset + 8] = static_cast<uint8_t>(width);
      return;
    }
  }
  throw std::runtime_error("SetJpegFrameSize: no frame header");
}

std::vector<uint8_t> RepeatFirstScan(const std::vector<uint8_t>& jpeg, int count) {
  const std::vector<size_t> offsets = MarkerOffsets(jpeg);
  // The first scan's block starts at the first table or SOS marker after the
  // frame header and ends at the marker after that SOS.
  size_t frame = 0, begin = 0, end = 0;
  for (size_t k = 0; k < offsets.size(); ++k) {
    const uint8_t marker = jpeg[offsets[k] + 1];
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) frame = k;
    if (marker == 0xDA) {
      begin = offsets[frame + 1];
      end = offsets.at(k + 1);
      break;
    }
  }
  if (end == 0) throw std::runtime_error("RepeatFirstScan: no scan");
  std::vector<uint8_t> out(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(begin));
  for (int i = 0; i < count; ++i) out.insert(out.end(), jpeg.begin() + begin, jpeg.begin() + end);
  out.push_back(0xFF);
  out.push_back(0xD9);
  return out;
}

ScanData FirstScanData(const std::vector<uint8_t>& jpeg) {
  const std::vector<size_t> offsets = MarkerOffsets(jpeg);
  for (size_t k = 0; k + 1 < offsets.size(); ++k) {
    const size_t at = offsets[k];
    if (jpeg[at + 1] == 0xDA)
      return {at + 2 + ((static_cast<size_t>(jpeg[at + 2]) << 8) | jpeg[at + 3]), offsets[k + 1]};
  }
  throw std::runtime_error("FirstScanData: no scan");
}

}  // namespace tintaro::test
