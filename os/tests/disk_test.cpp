#include "os/disk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>

#include "os/file.h"
#include "os/file_sync.h"

namespace os {
namespace {

// A folder listed with each entry's size and time in one call; a file held
// by another handle is told apart; a small file replaced whole.
TEST(Disk, ListsFoldersTellsHeldFilesAndReplacesFiles) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "halyard_disk_test";
  std::filesystem::remove_all(dir);
  ASSERT_TRUE(MakeFolders((dir / "a" / "b").string()));
  const std::string file = (dir / "clip.mp4").string();
  ASSERT_TRUE(WriteWholeFile(file, "0123456789", 10));
  const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(50);
  std::filesystem::last_write_time(file, old);

  std::vector<FolderEntry> entries;
  ASSERT_TRUE(ListFolder(dir.string(), &entries));
  std::sort(entries.begin(), entries.end(), [](const auto& x, const auto& y) { return x.name < y.name; });
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_TRUE(entries[0].name == "a" && entries[0].folder);
  EXPECT_TRUE(entries[1].name == "clip.mp4" && !entries[1].folder && entries[1].size == 10u);
  const int64_t age = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count() -
                      entries[1].modified;
  EXPECT_NEAR(double(age), 50.0 * 3600, 120.0) << "not the file's modification time";
  EXPECT_FALSE(ListFolder((dir / "none").string(), &entries));

  EXPECT_FALSE(FileHeldElsewhere(file));
  std::FILE* held = OpenFile(file, "r+b");
  ASSERT_NE(held, nullptr);
  ASSERT_EQ(TryLockFile(held), FileLock::kTaken);
  EXPECT_TRUE(FileHeldElsewhere(file)) << "a recording held by another handle looks free";
  std::fclose(held);
  EXPECT_FALSE(FileHeldElsewhere(file));

  const std::string text = (dir / "keep.txt").string();
  ASSERT_TRUE(ReplaceFileWith(text, "one"));
  ASSERT_TRUE(ReplaceFileWith(text, "two"));
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(ReadWholeFile(text, &bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "two");
  EXPECT_FALSE(FileExists(text + ".new"));

  EXPECT_FALSE(RemoveEmptyFolder((dir / "a").string())) << "a folder with a folder in it went";
  EXPECT_TRUE(RemoveEmptyFolder((dir / "a" / "b").string()));
  uint64_t free = 0, capacity = 0;
  EXPECT_TRUE(DiskSpace(dir.string(), &free, &capacity));
  EXPECT_TRUE(capacity > 0 && free <= capacity);
  std::filesystem::remove_all(dir);
}

TEST(FileSync, TruncatesSyncsAndLocksAgainstEveryOtherHandle) {
  const std::string path = (std::filesystem::temp_directory_path() / "halyard_file_sync_test.bin").string();
  std::FILE* a = std::fopen(path.c_str(), "w+b");
  ASSERT_NE(a, nullptr);
  std::setvbuf(a, nullptr, _IONBF, 0);
  ASSERT_EQ(std::fwrite("0123456789", 1, 10, a), 10u);
  EXPECT_TRUE(SyncFile(a));
  EXPECT_TRUE(TruncateFile(a, 4));
  EXPECT_EQ(std::filesystem::file_size(path), 4u);

  std::FILE* b = std::fopen(path.c_str(), "rb");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(TryLockFile(a), FileLock::kTaken);
  EXPECT_EQ(TryLockFile(b), FileLock::kHeldElsewhere) << "a second handle took the lock too";
  std::fclose(a);
  EXPECT_EQ(TryLockFile(b), FileLock::kTaken) << "closing the file did not drop its lock";
  std::fclose(b);
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace os
