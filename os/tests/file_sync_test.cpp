#include "os/file_sync.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace os {
namespace {

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
