// Writes the engine fuzzer's seed corpus: archives from the tests' writer,
// each behind the one options byte the fuzzer reads first.
#include <zip.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/ZipWriter.h"

using tintaro::test::ZipWriter;

int main(int argc, char** argv) {
  std::vector<std::vector<uint8_t>> archives;
  archives.push_back(ZipWriter().Add("pic.bmp", std::string(3000, 'p')).Add("pic.trs", "sol", ZipWriter::Method::Store)
                         .Add("spipic.bmp", "clue").Bytes());
  archives.push_back(ZipWriter().AddFolder("d/").Add("d/e/f.bmp", "deep").Add("../up.bmp", "up")
                         .Add("up/x.bmp", "x").Add("..\\w.bmp", "w").Bytes());
  archives.push_back(ZipWriter().AddEncrypted("t.bmp", "trad", ZIP_EM_TRAD_PKWARE, "secret")
                         .AddEncrypted("a.bmp", "aes", ZIP_EM_AES_128, "secret").Bytes());
  archives.push_back(ZipWriter().AddSymlink("l.bmp", "/etc/passwd").Add("run", "x").Mode(0104755).Bytes());
  archives.push_back(ZipWriter().Add("caf\x82.bmp", "dos").DosHost().Comment("comment").Bytes());
  {
    std::vector<uint8_t> prefixed = ZipWriter().Add("pic.bmp", "prefixed").Bytes();
    prefixed.insert(prefixed.begin(), 100, 'Z');
    archives.push_back(prefixed);
  }
  {
    std::vector<uint8_t> overlap = ZipWriter().Add("one.bmp", "aaaa").Add("two.bmp", "aaaa").Bytes();
    const auto central = tintaro::test::CentralHeaderOffsets(overlap);
    if (central.size() == 2)
      tintaro::test::PutU32(overlap, central[1] + 42, tintaro::test::GetU32(overlap, central[0] + 42));
    archives.push_back(overlap);
  }
  tintaro::test::SeedCorpus corpus;
  for (const auto& archive : archives) {
    for (uint8_t options : {0, 1, 2, 3, 4, 35}) {
      std::vector<uint8_t> seed;
      seed.push_back(options);
      seed.insert(seed.end(), archive.begin(), archive.end());
      corpus.Add(std::move(seed));
    }
  }
  return corpus.WriteFromMain(argc, argv);
}
