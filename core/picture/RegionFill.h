// The border fill: recolours the 4-connected region of non-black pixels
// around a seed, bounded by pure black and the picture's edge.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace tintaro {

// Which block primitives the fill scans with. Best is the fastest the
// processor supports; the others exist so tests can check every variant.
enum class FillKernel { Best, Generic, Sse2, Avx2 };

class RegionFiller {
 public:
  // At most this many found runs wait for their neighbours to be scanned; a
  // picture made to need more is finished by sweeps over the marked rows
  // instead, so the fill's memory stays bounded (24 MiB of runs).
  static constexpr size_t kDefaultMaxPending = size_t{1} << 20;

  explicit RegionFiller(FillKernel kernel = FillKernel::Best, size_t maxPending = kDefaultMaxPending);
  // A copy starts with empty scratch; only the settings are copied. A
  // moved-from filler is left with empty scratch and still works.
  RegionFiller(const RegionFiller& other) : RegionFiller(other.kernel_, other.maxPending_) {}
  RegionFiller& operator=(const RegionFiller& other);
  RegionFiller(RegionFiller&& other) noexcept;
  RegionFiller& operator=(RegionFiller&& other) noexcept;

  // Whether this processor and build can run the kernel.
  static bool KernelSupported(FillKernel kernel);

  // Fills the region of (x, y) in a width x height picture with `colour`.
  // Does nothing when (x, y) is outside the picture or black. Time is
  // proportional to the region: the scratch (a visited bitmap and the span
  // stack) is kept between calls.
  void Fill(uint32_t* pixels, int width, int height, int x, int y, uint32_t colour);

  // The fill's working records; public only for the kernels in RegionFill.cpp.
  struct Span {
    int32_t y;
    int32_t left;
    int32_t right;  // inclusive
    // The run one row back (y - dir) that found this one; dir is +1 when
    // found from the row above, -1 from below, 0 for the seed's run.
    int32_t parentLeft;
    int32_t parentRight;
    int32_t dir;
  };
  // The columns of one row whose visited bits are set, and by which fill.
  // Bits left by an earlier fill are cleared when a fill first reaches the
  // row, so a fill never pays for rows it does not touch.
  struct RowState {
    uint32_t fill = 0;
    int32_t left = INT32_MAX;
    int32_t right = -1;  // right < 0: no bits set
  };

 private:
  struct FreeDeleter {
    void operator()(uint64_t* p) const { std::free(p); }
  };

  void Swap(RegionFiller& other) noexcept;
  void EnsureScratch(int width, int height);
  // Clears every bit still set and forgets which fill set it.
  void ClearAllRows();

  FillKernel kernel_;
  size_t maxPending_;
  // One bit per pixel, rows of bitWords_ words, for a picture of
  // layoutHeight_ rows. It is allocated zeroed by the system, so pages that no
  // fill reaches are never touched.
  std::unique_ptr<uint64_t[], FreeDeleter> bits_;
  size_t bitsCapacity_ = 0;  // in words
  int bitWords_ = 0;
  int layoutHeight_ = 0;
  std::vector<RowState> rows_;
  uint32_t fill_ = 0;  // counts fills; rows_[y].fill == fill_: row y is current
  std::vector<Span> stack_;  // grown by the kernel, never shrunk
};

}  // namespace tintaro
