// Scanline border fill with an explicit stack of spans, a visited bitmap kept
// between calls, and SIMD scans of the pixel runs.
//
// The region may already hold the fill colour in places, so the colour cannot
// tell visited pixels apart; one bit per pixel does. Each run of non-black
// pixels is coloured and marked as a whole when it is found, so a single bit
// of a run says whether the whole run is done. Each row remembers which fill
// last marked it and between which columns; a fill clears those old bits when
// it first reaches the row. So no call costs anything in proportion to the
// picture, only to the region.
#include "core/picture/RegionFill.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace tintaro {

namespace {

// What a kernel needs from the filler.
struct FillJob {
  uint32_t* pixels;
  int width;
  int height;
  uint32_t colour;
  uint64_t* bits;
  int bitWords;
  RegionFiller::RowState* rows;
  uint32_t fill;
  std::vector<RegionFiller::Span>* stack;
  size_t maxPending;
};

inline void SetBits(uint64_t* row, int first, int last) {
  const int wordFirst = first >> 6;
  const int wordLast = last >> 6;
  const uint64_t headMask = ~uint64_t{0} << (first & 63);
  const uint64_t tailMask = ~uint64_t{0} >> (63 - (last & 63));
  if (wordFirst == wordLast) {
    row[wordFirst] |= headMask & tailMask;
    return;
  }
  row[wordFirst] |= headMask;
  for (int w = wordFirst + 1; w < wordLast; ++w) row[w] = ~uint64_t{0};
  row[wordLast] |= tailMask;
}

// Doubles the span stack; the only step of a fill that can fail.
inline void ClearBits(uint64_t* row, int first, int last) {
  const int wordFirst = first >> 6;
  const int wordLast = last >> 6;
  row[wordFirst] = 0;
  if (wordLast > wordFirst) std::memset(row + wordFirst + 1, 0, static_cast<size_t>(wordLast - wordFirst) * sizeof(uint64_t));
}

[[gnu::noinline]] RegionFiller::Span* GrowStack(std::vector<RegionFiller::Span>& stack, size_t limit) {
  stack.resize(std::min(std::max<size_t>(stack.size() * 2, 1024), limit));
  return stack.data();
}

struct KernelFns {
  bool (*run)(const FillJob&, int, int);
  bool (*sweep)(const FillJob&);
};

// Portable blocks of four pixels, for builds without SSE2 and as a reference.
namespace generic {
#define KERNEL_TARGET
struct Block {
  static constexpr int kLanes = 4;
  uint32_t value;
  explicit Block(uint32_t colour) : value(colour) {}
  static uint32_t BlackMask(const uint32_t* p) {
    return uint32_t{p[0] == 0} | uint32_t{p[1] == 0} << 1 | uint32_t{p[2] == 0} << 2 | uint32_t{p[3] == 0} << 3;
  }
  // Lanes n and above count as black.
  static uint32_t BlackMaskPartial(const uint32_t* p, int n) {
    uint32_t mask = ~0u << n;
    for (int i = 0; i < n; ++i) mask |= uint32_t{p[i] == 0} << i;
    return mask;
  }
  static bool AnyBlack4(const uint32_t* p) {
    for (int i = 0; i < 16; ++i) {
      if (p[i] == 0) return true;
    }
    return false;
  }
  void Store(uint32_t* p) const { std::fill(p, p + 4, value); }
  void Store4(uint32_t* p) const { std::fill(p, p + 16, value); }
  void StorePartial(uint32_t* p, int n) const { std::fill(p, p + n, value); }
};
#include "core/picture/RegionFillKernel.inc"
#undef KERNEL_TARGET
}  // namespace generic

#if defined(__x86_64__)
namespace sse2 {
#define KERNEL_TARGET
struct Block {
  static constexpr int kLanes = 4;
  __m128i vector;
  uint32_t value;
  explicit Block(uint32_t colour) : vector(_mm_set1_epi32(static_cast<int>(colour))), value(colour) {}
  static __m128i Load(const uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
  static uint32_t BlackMask(const uint32_t* p) {
    return static_cast<uint32_t>(_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(Load(p), _mm_setzero_si128()))));
  }
  static uint32_t BlackMaskPartial(const uint32_t* p, int n) {
    uint32_t mask = ~0u << n;
    for (int i = 0; i < n; ++i) mask |= uint32_t{p[i] == 0} << i;
    return mask;
  }
  static bool AnyBlack4(const uint32_t* p) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i a = _mm_or_si128(_mm_cmpeq_epi32(Load(p), zero), _mm_cmpeq_epi32(Load(p + 4), zero));
    const __m128i b = _mm_or_si128(_mm_cmpeq_epi32(Load(p + 8), zero), _mm_cmpeq_epi32(Load(p + 12), zero));
    return _mm_movemask_epi8(_mm_or_si128(a, b)) != 0;
  }
  void Store(uint32_t* p) const { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), vector); }
  void Store4(uint32_t* p) const {
    Store(p);
    Store(p + 4);
    Store(p + 8);
    Store(p + 12);
  }
  void StorePartial(uint32_t* p, int n) const {
    for (int i = 0; i < n; ++i) p[i] = value;
  }
};
#include "core/picture/RegionFillKernel.inc"
#undef KERNEL_TARGET
}  // namespace sse2

// Only called after __builtin_cpu_supports("avx2") said yes.
namespace avx2 {
#define KERNEL_TARGET __attribute__((target("avx2")))
struct Block {
  static constexpr int kLanes = 8;
  __m256i vector;
  KERNEL_TARGET explicit Block(uint32_t colour) : vector(_mm256_set1_epi32(static_cast<int>(colour))) {}
  KERNEL_TARGET static __m256i Load(const uint32_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  }
  KERNEL_TARGET static __m256i FirstLanes(int n) {
    return _mm256_cmpgt_epi32(_mm256_set1_epi32(n), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
  }
  KERNEL_TARGET static uint32_t BlackMask(const uint32_t* p) {
    return static_cast<uint32_t>(
        _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(Load(p), _mm256_setzero_si256()))));
  }
  // A masked load reads only the first n lanes (the rest read as 0, black)
  // and cannot fault past the end of the picture.
  KERNEL_TARGET static uint32_t BlackMaskPartial(const uint32_t* p, int n) {
    const __m256i v = _mm256_maskload_epi32(reinterpret_cast<const int*>(p), FirstLanes(n));
    return static_cast<uint32_t>(_mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(v, _mm256_setzero_si256()))));
  }
  KERNEL_TARGET static bool AnyBlack4(const uint32_t* p) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i a = _mm256_or_si256(_mm256_cmpeq_epi32(Load(p), zero), _mm256_cmpeq_epi32(Load(p + 8), zero));
    const __m256i b = _mm256_or_si256(_mm256_cmpeq_epi32(Load(p + 16), zero), _mm256_cmpeq_epi32(Load(p + 24), zero));
    const __m256i any = _mm256_or_si256(a, b);
    return !_mm256_testz_si256(any, any);
  }
  KERNEL_TARGET void Store(uint32_t* p) const { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), vector); }
  KERNEL_TARGET void Store4(uint32_t* p) const {
    Store(p);
    Store(p + 8);
    Store(p + 16);
    Store(p + 24);
  }
  KERNEL_TARGET void StorePartial(uint32_t* p, int n) const {
    _mm256_maskstore_epi32(reinterpret_cast<int*>(p), FirstLanes(n), vector);
  }
};
#include "core/picture/RegionFillKernel.inc"
#undef KERNEL_TARGET
}  // namespace avx2
#endif

bool Avx2Usable() {
#if defined(__x86_64__)
  static const bool usable = __builtin_cpu_supports("avx2");
  return usable;
#else
  return false;
#endif
}

FillKernel Resolve(FillKernel kernel) {
  if (kernel != FillKernel::Best) return kernel;
#if defined(__x86_64__)
  return Avx2Usable() ? FillKernel::Avx2 : FillKernel::Sse2;
#else
  return FillKernel::Generic;
#endif
}

KernelFns KernelFor(FillKernel kernel) {
  switch (Resolve(kernel)) {
#if defined(__x86_64__)
    case FillKernel::Avx2: return {&avx2::RunFill, &avx2::SweepFill};
    case FillKernel::Sse2: return {&sse2::RunFill, &sse2::SweepFill};
#endif
    default: return {&generic::RunFill, &generic::SweepFill};
  }
}

}  // namespace

RegionFiller::RegionFiller(FillKernel kernel, size_t maxPending)
    : kernel_(kernel), maxPending_(std::max<size_t>(maxPending, 1)) {}

RegionFiller& RegionFiller::operator=(const RegionFiller& other) {
  if (this != &other) *this = RegionFiller(other.kernel_, other.maxPending_);
  return *this;
}

RegionFiller::RegionFiller(RegionFiller&& other) noexcept
    : kernel_(other.kernel_), maxPending_(other.maxPending_) {
  Swap(other);
}

RegionFiller& RegionFiller::operator=(RegionFiller&& other) noexcept {
  if (this != &other) {
    RegionFiller taken(std::move(other));
    Swap(taken);
  }
  return *this;
}

void RegionFiller::Swap(RegionFiller& other) noexcept {
  std::swap(kernel_, other.kernel_);
  std::swap(maxPending_, other.maxPending_);
  std::swap(bits_, other.bits_);
  std::swap(bitsCapacity_, other.bitsCapacity_);
  std::swap(bitWords_, other.bitWords_);
  std::swap(layoutHeight_, other.layoutHeight_);
  std::swap(rows_, other.rows_);
  std::swap(fill_, other.fill_);
  std::swap(stack_, other.stack_);
}

bool RegionFiller::KernelSupported(FillKernel kernel) {
  switch (kernel) {
    case FillKernel::Best:
    case FillKernel::Generic: return true;
#if defined(__x86_64__)
    case FillKernel::Sse2: return true;
    case FillKernel::Avx2: return Avx2Usable();
#else
    default: return false;
#endif
  }
  return false;
}

void RegionFiller::ClearAllRows() {
  for (int y = 0; y < layoutHeight_; ++y) {
    RowState& state = rows_[static_cast<size_t>(y)];
    if (state.right >= 0) {
      ClearBits(bits_.get() + static_cast<size_t>(y) * static_cast<size_t>(bitWords_), state.left, state.right);
    }
    state = RowState{};
  }
}

void RegionFiller::EnsureScratch(int width, int height) {
  const int bitWords = (width + 63) / 64;
  if (bitWords != bitWords_ || height != layoutHeight_) {
    // A new picture size: the bits left behind belong to the old layout.
    // This is the one step in proportion to the picture's height, and it
    // runs only when the size changes.
    ClearAllRows();
    bitWords_ = bitWords;
    layoutHeight_ = 0;
    const size_t words = static_cast<size_t>(bitWords) * static_cast<size_t>(height);
    if (words > bitsCapacity_) {
      bits_.reset();
      bitsCapacity_ = 0;
      void* fresh = std::calloc(words, sizeof(uint64_t));
      if (fresh == nullptr) throw std::bad_alloc();
      bits_.reset(static_cast<uint64_t*>(fresh));
      bitsCapacity_ = words;
    }
    if (rows_.size() < static_cast<size_t>(height)) rows_.resize(static_cast<size_t>(height));
    layoutHeight_ = height;
  }
  if (++fill_ == 0) {
    // The counter wrapped after 2^32 fills: start the rows afresh.
    ClearAllRows();
    fill_ = 1;
  }
}

void RegionFiller::Fill(uint32_t* pixels, int width, int height, int x, int y, uint32_t colour) {
  if (x < 0 || y < 0 || x >= width || y >= height) return;
  if (pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] == 0) return;
  EnsureScratch(width, height);
  // A fill that fails half way (the span stack cannot grow) leaves its bits
  // behind like any other; the next fill clears them as it reaches them.
  const FillJob job{pixels, width, height, colour, bits_.get(), bitWords_, rows_.data(), fill_, &stack_, maxPending_};
  const KernelFns kernel = KernelFor(kernel_);
  if (kernel.run(job, x, y)) {
    while (kernel.sweep(job)) {
    }
  }
}

}  // namespace tintaro
