// Archive component benchmarks: listing a 10,000-entry archive against
// libzip reading every name, and joining a 3-volume 30 MB set against a
// plain copy of the same bytes.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>
#include <zip.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/ZipArch.h"
#include "bench/Ratio.h"
#include "support/ZipBytes.h"

namespace {

using tintaro::TZipArchive;
using tintaro::test::Bytes;
using tintaro::test::ZipBytes;

struct Files {
  std::string folder;
  std::string many;                  // 10,000 entries
  std::vector<std::string> volumes;  // 3 x 10 MB
  std::string joinFolder;
  Files() {
    folder = (std::filesystem::temp_directory_path() / ("archive-bench-" + std::to_string(::getpid()))).string();
    std::filesystem::create_directories(folder + "/join");
    joinFolder = folder + "/join";
    ZipBytes z;
    for (int i = 0; i < 10000; ++i) z.Add("puzzles/p" + std::to_string(i) + ".bmp", "x");
    many = folder + "/many.zip";
    tintaro::test::WriteFileBytes(many, z.Build());

    ZipBytes big;
    Bytes data(10'000'000 - 200);
    uint32_t seed = 1;
    for (uint8_t& b : data) b = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 24);
    for (int i = 0; i < 3; ++i) {
      tintaro::test::ZipEntrySpec e;
      e.name = "volume" + std::to_string(i) + ".bmp";
      e.data = data;
      big.Add(std::move(e));
    }
    const std::vector<Bytes> parts = big.BuildSpanned(10'000'000);
    for (size_t i = 0; i < parts.size(); ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "/set%03zu.zip", i + 1);
      volumes.push_back(folder + name);
      tintaro::test::WriteFileBytes(volumes.back(), parts[i]);
    }
  }
  ~Files() { std::filesystem::remove_all(folder); }
};

Files& TheFiles() {
  static Files files;
  return files;
}

void BM_ListOurs(benchmark::State& state) {
  Files& f = TheFiles();
  TZipArchive zip;
  zip.Unattended = true;
  for (auto _ : state) {
    zip.SetZipFilename(f.many);
    if (zip.DirEntries().size() != 10000) state.SkipWithError("listing failed");
    benchmark::DoNotOptimize(zip.DirEntries().data());
  }
}
BENCHMARK(BM_ListOurs)->Unit(benchmark::kMillisecond);

void BM_ListLibzip(benchmark::State& state) {
  Files& f = TheFiles();
  for (auto _ : state) {
    int error = 0;
    zip_t* za = zip_open(f.many.c_str(), ZIP_RDONLY, &error);
    if (za == nullptr) {
      state.SkipWithError("zip_open failed");
      break;
    }
    size_t total = 0;
    const zip_int64_t n = zip_get_num_entries(za, 0);
    for (zip_int64_t i = 0; i < n; ++i) {
      const char* name = zip_get_name(za, static_cast<zip_uint64_t>(i), 0);
      total += name ? std::string(name).size() : 0;
    }
    benchmark::DoNotOptimize(total);
    zip_discard(za);
  }
}
BENCHMARK(BM_ListLibzip)->Unit(benchmark::kMillisecond);

void BM_JoinOurs(benchmark::State& state) {
  Files& f = TheFiles();
  TZipArchive zip;
  zip.Unattended = true;
  zip.SetZipFilename(f.volumes.back());
  for (auto _ : state) {
    std::string path = f.joinFolder;
    if (zip.ReadSpan(f.volumes.back(), path) != 0) state.SkipWithError("join failed");
    ::unlink(path.c_str());
  }
}
BENCHMARK(BM_JoinOurs)->Unit(benchmark::kMillisecond);

void BM_JoinCopy(benchmark::State& state) {
  Files& f = TheFiles();
  std::vector<char> buffer(1 << 20);
  const std::string out = f.joinFolder + "/copy.bin";
  for (auto _ : state) {
    const int to = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    for (const std::string& v : f.volumes) {
      const int from = ::open(v.c_str(), O_RDONLY);
      ssize_t got;
      while ((got = ::read(from, buffer.data(), buffer.size())) > 0)
        if (::write(to, buffer.data(), static_cast<size_t>(got)) != got) state.SkipWithError("write failed");
      ::close(from);
    }
    ::close(to);
    ::unlink(out.c_str());
  }
}
BENCHMARK(BM_JoinCopy)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return tintaro::bench::RunWithRatios(argc, argv,
                                       {{"archive_list", "BM_ListOurs", "BM_ListLibzip"},
                                        {"archive_join", "BM_JoinOurs", "BM_JoinCopy"}});
}
