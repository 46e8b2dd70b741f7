// BMP decoding speed: a 4096 x 4096 24-bit and 8-bit palettised file decoded
// from memory into a reused picture, beside stb_image and a plain memcpy of
// the decoded size.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#include <stb_image.h>
#pragma GCC diagnostic pop

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench/Ratio.h"
#include "core/picture/PictureDecoders.h"
#include "support/BmpBuilder.h"

namespace {

constexpr int kSide = 4096;

std::vector<uint32_t> Noise(size_t n, uint32_t mask) {
  std::vector<uint32_t> v(n);
  uint32_t seed = 12345;
  for (auto& x : v) {
    seed = seed * 1664525u + 1013904223u;
    x = (seed >> 8) & mask;
  }
  return v;
}

const std::vector<uint8_t>& File24() {
  static const std::vector<uint8_t> file =
      tintaro::test::BuildBmp(kSide, kSide, Noise(size_t{kSide} * kSide, 0xFFFFFF));
  return file;
}

const std::vector<uint8_t>& File8() {
  static const std::vector<uint8_t> file = [] {
    tintaro::test::BmpOptions o;
    o.bitsPerPixel = 8;
    o.palette = Noise(256, 0xFFFFFF);
    return tintaro::test::BuildBmp(kSide, kSide, Noise(size_t{kSide} * kSide, 0xFF), o);
  }();
  return file;
}

void DecodeOurs(benchmark::State& state, const std::vector<uint8_t>& file) {
  tintaro::Picture picture;
  tintaro::DecodeBmp(file, picture);  // first touch of the buffer outside the timing
  for (auto _ : state) {
    tintaro::DecodeBmp(file, picture);
    benchmark::DoNotOptimize(picture.pixels.data());
    benchmark::ClobberMemory();
  }
}

void DecodeStb(benchmark::State& state, const std::vector<uint8_t>& file) {
  for (auto _ : state) {
    int w, h, channels;
    stbi_uc* pixels = stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &w, &h, &channels, 0);
    if (!pixels) state.SkipWithError("stb_image refused the file");
    benchmark::DoNotOptimize(pixels);
    stbi_image_free(pixels);
  }
}

void BM_Bmp24Ours(benchmark::State& state) { DecodeOurs(state, File24()); }
void BM_Bmp24Stb(benchmark::State& state) { DecodeStb(state, File24()); }
void BM_Bmp8Ours(benchmark::State& state) { DecodeOurs(state, File8()); }
void BM_Bmp8Stb(benchmark::State& state) { DecodeStb(state, File8()); }

// The floor: copying the decoded picture's bytes between two warm buffers.
void BM_MemcpyDecodedSize(benchmark::State& state) {
  std::vector<uint32_t> from(size_t{kSide} * kSide, 1), to(size_t{kSide} * kSide, 2);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), to.size() * sizeof(uint32_t));
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
}

BENCHMARK(BM_Bmp24Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Bmp24Stb)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Bmp8Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Bmp8Stb)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemcpyDecodedSize)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return tintaro::bench::RunWithRatios(argc, argv,
                                       {
                                           {"bmp24_4096_vs_stb", "BM_Bmp24Ours", "BM_Bmp24Stb"},
                                           {"bmp24_4096_vs_memcpy", "BM_Bmp24Ours", "BM_MemcpyDecodedSize"},
                                           {"bmp8_4096_vs_stb", "BM_Bmp8Ours", "BM_Bmp8Stb"},
                                           {"bmp8_4096_vs_memcpy", "BM_Bmp8Ours", "BM_MemcpyDecodedSize"},
                                       });
}
