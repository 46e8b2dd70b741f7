// What libzip is shown of an archive: once confined to one entry's byte
// range, any read outside it fails, so a crafted entry cannot make libzip
// read another entry's bytes.
#include <fcntl.h>
#include <unistd.h>
#include <zip.h>

#include "EngineHarness.h"
#include "engine/DirectorySource.h"
#include "engine/ZipLayout.h"
#include "support/ZipWriter.h"

namespace tintaro::test {
namespace {

using engine::DirectorySource;

TEST_F(EngineTest, DirectorySourceFailsEveryReadOutsideTheConfinedRange) {
  const std::vector<uint8_t> bytes =
      ZipWriter().Add("first.txt", "one", ZipWriter::Method::Store).Add("second.txt", "two", ZipWriter::Method::Store).Bytes();
  WriteFileBytes(ArchivePath(), bytes);
  const int fd = open(ArchivePath().c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  engine::ZipLayout layout;
  ASSERT_EQ(engine::ReadZipLayout(fd, bytes.size(), layout), engine::LayoutResult::Ok);
  ASSERT_EQ(layout.entries.size(), 2u);
  DirectorySource source(fd, layout);
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* view = source.Create(&error);
  ASSERT_NE(view, nullptr);
  zip_t* zip = zip_open_from_source(view, ZIP_RDONLY, &error);
  ASSERT_NE(zip, nullptr) << zip_error_strerror(&error);
  auto read = [&](zip_uint64_t index) -> std::string {
    zip_file_t* file = zip_fopen_index(zip, index, 0);
    if (!file) return "(open failed)";
    char buffer[16];
    const zip_int64_t n = zip_fread(file, buffer, sizeof buffer);
    zip_fclose(file);
    return n < 0 ? "(read failed)" : std::string(buffer, static_cast<size_t>(n));
  };
  const engine::LayoutEntry &first = layout.entries[0], &second = layout.entries[1];
  struct Case {
    uint64_t start, end;
    zip_uint64_t entry;
    bool readable;
  };
  const std::vector<Case> cases = {
      {first.rangeStart, first.rangeEnd, 0, true},
      {first.rangeStart, first.rangeEnd, 1, false},
      {second.rangeStart, second.rangeEnd, 1, true},
      {second.rangeStart, second.rangeEnd - 1, 1, false},  // one byte short of the data's end
  };
  for (const Case& c : cases) {
    source.Confine(c.start, c.end);
    const std::string got = read(c.entry);
    if (c.readable) EXPECT_EQ(got, c.entry == 0 ? "one" : "two") << c.start << "-" << c.end;
    else EXPECT_EQ(got.front(), '(') << c.start << "-" << c.end << ": " << got;
  }
  zip_discard(zip);
  zip_error_fini(&error);
  close(fd);
}

}  // namespace
}  // namespace tintaro::test
