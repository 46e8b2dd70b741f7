// The JPEG decoder: libjpeg run from memory, with its failures turned into
// EJPEG "JPEG error #%d" and its rows written straight into the picture.
#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t first
#include <string>

// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include "core/Errors.h"
#include "core/picture/PictureDecoders.h"
#include "core/picture/PictureHeaderSize.h"

static_assert(std::endian::native == std::endian::little, "RGBX rows are read as 0x00BBGGRR words");

namespace tintaro {

namespace {

// Real progressive files use about ten scans; thousands of tiny scans make
// libjpeg sweep the whole picture each time and are a known way to burn CPU.
// Beyond this many the file is refused with libjpeg's JERR_BAD_SCAN_SCRIPT.
constexpr int kMaxScans = 256;

// The scan count alone does not bound the work: each scan sweeps the blocks
// of its components, so 255 refinement scans over a large picture take most
// of a minute. The blocks of every scan are summed as the scans arrive, and
// past this many (under two seconds of the costliest scans; libjpeg's own
// progressive script needs about 14 million for the largest 4:4:4 picture)
// the file is refused with JERR_BAD_SCAN_SCRIPT.
// TINTARO_JPEG_SCAN_BLOCK_LIMIT may lower it.
constexpr int64_t kMaxScanBlocks = int64_t{32} << 20;

// One load may use about 768 MiB: the current picture (256 MiB at most), the
// one being decoded, the file and libjpeg's own working memory (the
// whole-picture coefficient buffers of progressive and multi-scan files),
// which gets what is left. Beyond it libjpeg refuses the file
// (JERR_NO_BACKING_STORE) instead of growing.
constexpr int64_t kLoadBudget = int64_t{768} << 20;
constexpr int64_t kMinWorkMemory = int64_t{16} << 20;

long WorkMemoryFor(size_t fileSize, int64_t pictureBytes) {
  const int64_t current = kMaxPicturePixels * static_cast<int64_t>(sizeof(uint32_t));
  return static_cast<long>(
      std::max(kMinWorkMemory, kLoadBudget - current - pictureBytes - static_cast<int64_t>(fileSize)));
}

constexpr JDIMENSION kRowBatch = 16;

struct ErrorManager {
  jpeg_error_mgr pub;  // first, so libjpeg's pointer is ours
  std::jmp_buf jump;
};

// Called by libjpeg for every fatal error, with err->msg_code set.
void ErrorExit(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1); }

// Warnings (corrupt or truncated data) are counted but never printed.
void EmitMessage(j_common_ptr info, int level) {
  if (level < 0) ++info->err->num_warnings;
}
void OutputMessage(j_common_ptr) {}

struct ScanMonitor {
  jpeg_progress_mgr pub;  // first, so libjpeg's pointer is ours
  int lastScan = 0;
  int64_t blocks = 0;
  int64_t blockLimit = kMaxScanBlocks;
};

// Runs between libjpeg's input steps, so each scan is seen after its SOS and
// before its data.
void CheckScans(j_common_ptr info) {
  if (!info->is_decompressor) return;
  auto* d = reinterpret_cast<j_decompress_ptr>(info);
  auto* monitor = reinterpret_cast<ScanMonitor*>(info->progress);
  if (d->input_scan_number > kMaxScans) ERREXIT(info, JERR_BAD_SCAN_SCRIPT);
  if (d->input_scan_number == monitor->lastScan) return;
  monitor->lastScan = d->input_scan_number;
  for (int i = 0; i < d->comps_in_scan && i < MAX_COMPS_IN_SCAN; ++i) {
    const jpeg_component_info* c = d->cur_comp_info[i];
    if (c != nullptr) monitor->blocks += int64_t{c->width_in_blocks} * c->height_in_blocks;
  }
  if (monitor->blocks > monitor->blockLimit) ERREXIT(info, JERR_BAD_SCAN_SCRIPT);
}

// One decompression. The destructor always releases libjpeg's memory; the
// struct is zeroed first so that is safe even if creation never ran.
// Functions that call setjmp below hold no objects with destructors, so a
// longjmp out of libjpeg skips nothing that needed to run.
struct Session {
  jpeg_decompress_struct info{};
  ErrorManager error{};
  ScanMonitor progress{};

  Session() {
    info.err = jpeg_std_error(&error.pub);
    error.pub.error_exit = ErrorExit;
    error.pub.emit_message = EmitMessage;
    error.pub.output_message = OutputMessage;
    progress.pub.progress_monitor = CheckScans;
    progress.blockLimit = LimitFromEnvironment("TINTARO_JPEG_SCAN_BLOCK_LIMIT", kMaxScanBlocks);
  }
  ~Session() { jpeg_destroy_decompress(&info); }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  [[noreturn]] void Fail() const { throw EJPEG("JPEG error #" + std::to_string(error.pub.msg_code)); }
};

// Reads the headers and chooses the output layout. False on a libjpeg error.
bool ReadHeader(Session& s, const uint8_t* data, size_t size) {
  if (setjmp(s.error.jump)) return false;
  jpeg_create_decompress(&s.info);
  s.info.mem->max_memory_to_use = kMinWorkMemory;
  s.info.progress = &s.progress.pub;
  jpeg_mem_src(&s.info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&s.info, TRUE);
  // libjpeg has no CMYK to RGB conversion: take CMYK and convert per row.
  // Everything else goes to RGBX, whose four bytes fill one pixel word;
  // layouts libjpeg cannot convert fail in jpeg_start_decompress.
  const bool cmyk = s.info.jpeg_color_space == JCS_CMYK || s.info.jpeg_color_space == JCS_YCCK;
  s.info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_RGBX;
  jpeg_calc_output_dimensions(&s.info);
  return true;
}

// RGBX leaves 0xFF in the high byte; pixels keep it zero.
void ClearPadding(uint32_t* pixels, size_t count) {
  for (size_t i = 0; i < count; ++i) pixels[i] &= 0x00FFFFFFu;
}

// C, M, Y, K bytes to 0x00BBGGRR in place. Adobe writes the inks inverted
// (255 = no ink), which is what nearly every CMYK JPEG holds.
void CmykToRgb(uint32_t* pixels, size_t count, bool inverted) {
  auto* bytes = reinterpret_cast<uint8_t*>(pixels);
  for (size_t i = 0; i < count; ++i) {
    uint8_t* p = bytes + 4 * i;
    uint32_t c = p[0], m = p[1], y = p[2], k = p[3];
    if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
    const uint32_t r = (c * k + 127) / 255, g = (m * k + 127) / 255, b = (y * k + 127) / 255;
    pixels[i] = r | (g << 8) | (b << 16);
  }
}

// Decodes every row into `pixels` (output_width words per row). False on a
// libjpeg error. Truncated entropy data is not an error: libjpeg warns and
// fills the missing part, and the picture shows what the file holds.
bool DecodeRows(Session& s, uint32_t* pixels) {
  if (setjmp(s.error.jump)) return false;
  jpeg_start_decompress(&s.info);
  const size_t width = s.info.output_width;
  const JDIMENSION height = s.info.output_height;
  const bool cmyk = s.info.out_color_space == JCS_CMYK;
  const bool inverted = s.info.saw_Adobe_marker;
  JSAMPROW rows[kRowBatch];
  while (s.info.output_scanline < height) {
    const JDIMENSION first = s.info.output_scanline;
    const JDIMENSION batch = std::min(kRowBatch, height - first);
    for (JDIMENSION i = 0; i < batch; ++i) {
      rows[i] = reinterpret_cast<JSAMPROW>(pixels + (first + i) * width);
    }
    const JDIMENSION got = jpeg_read_scanlines(&s.info, rows, batch);
    if (got == 0) {
      // A memory source never suspends; should it stop anyway, the rest
      // stays black rather than looping forever.
      std::fill(pixels + first * width, pixels + height * width, 0u);
      break;
    }
    if (cmyk) {
      CmykToRgb(pixels + first * width, got * width, inverted);
    } else {
      ClearPadding(pixels + first * width, got * width);
    }
  }
  // No jpeg_finish_decompress: it would only read on to the EOI marker, and
  // junk after the last row should not cost a picture that decoded whole.
  return true;
}

}  // namespace

DeclaredSize JpegDeclaredSize(std::span<const uint8_t> file) {
  if (file.empty()) return {};
  Session s;
  if (!ReadHeader(s, file.data(), file.size())) s.Fail();
  return {s.info.image_width, s.info.image_height};
}

void DecodeJpeg(std::span<const uint8_t> file, Picture& out) {
  if (file.empty()) {
    out.Reset(PictureKind::Jpeg, 0, 0);
    return;
  }
  Session s;
  if (!ReadHeader(s, file.data(), file.size())) s.Fail();
  // libjpeg itself stops at 65500 pixels a side; our cap is tighter and is
  // reported with the same message number.
  if (!PictureSizeAllowed(s.info.output_width, s.info.output_height)) {
    throw EJPEG("JPEG error #" + std::to_string(static_cast<int>(JERR_IMAGE_TOO_BIG)));
  }
  const int64_t pictureBytes = int64_t{s.info.output_width} * s.info.output_height * int64_t{sizeof(uint32_t)};
  s.info.mem->max_memory_to_use = WorkMemoryFor(file.size(), pictureBytes);
  out.Reset(PictureKind::Jpeg, static_cast<int>(s.info.output_width), static_cast<int>(s.info.output_height));
  if (!DecodeRows(s, out.pixels.data())) s.Fail();
}

}  // namespace tintaro
