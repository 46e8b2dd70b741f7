// The archive seed corpus shared by the listing and the extraction fuzz
// targets: archives from the tests' builders, well-formed and broken, single
// and spanned.
#pragma once

#include <string>
#include <vector>

#include "ArchiveFuzzInput.h"
#include "support/ZipBytes.h"
#include "support/ZipWriter.h"

namespace tintaro::fuzz {

inline std::vector<test::Bytes> ArchiveSeeds() {
  using namespace tintaro::test;

  std::vector<Bytes> seeds;
  ZipBytes plain;
  plain.Add("pic.bmp", "BM....").Add("pic.trs", "solution").Add("spipic.bmp", "clue");
  ZipLayout layout;
  const Bytes base = plain.Build(&layout);
  seeds.push_back(base);
  seeds.push_back(ZipBytes(plain).Comment(std::string(100, 'c')).Build());
  seeds.push_back(ZipBytes(plain).Comment(std::string("ab\0cd", 5)).Build());
  seeds.push_back(Concat(Repeat(0xEE, 1000), base));
  seeds.push_back(Concat(base, Repeat(0, 300)));
  seeds.push_back(Concat(base, Repeat(0x41, 300)));
  Bytes broken = base;
  PutU32(broken, layout.centralOffsets[1], 0x02014b51);
  seeds.push_back(broken);

  ZipEntrySpec dos;
  dos.name = "dir/caf\x82.bmp";
  dos.hostOS = 0;
  dos.comment = "\x82";
  dos.extra = Bytes{0x55, 0x54, 0x05, 0x00, 0x01, 0, 0, 0, 0};
  ZipEntrySpec unix = dos;
  unix.hostOS = 3;
  ZipEntrySpec utf8 = dos;
  utf8.flags = 1u << 11;
  seeds.push_back(ZipBytes().Add(dos).Add(unix).Add(utf8).Build());

  ZipBytes set;
  for (int i = 0; i < 4; ++i) set.Add("part" + std::to_string(i) + ".bmp", std::string(300, static_cast<char>('a' + i)));
  seeds.push_back(JoinVolumes(set.BuildSpanned(500)));

  seeds.push_back(ZipWriter()
                      .Add("a.bmp", std::string(2000, 'a'))
                      .Add("b.trs", "s", ZipWriter::Method::Store)
                      .AddFolder("sub/")
                      .Bytes());
  seeds.push_back(ZipWriter().AddEncrypted("e.bmp", "secret data", ZIP_EM_TRAD_PKWARE, "pw").Bytes());
  seeds.push_back(ZipWriter().AddSymlink("link", "../outside").Add("../up.txt", "x").Bytes());
  return seeds;
}

}  // namespace tintaro::fuzz
