// Exporting a recording file: the copy never harms the recording itself or a
// file it would replace, whatever name the user gives and however it fails.
#include "record/recording_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "record/mp4_file.h"
#include "record/tests/mp4_test_util.h"

namespace record {
namespace {

namespace fs = std::filesystem;

using testing::ReadAll;
using testing::Utf8;
using testing::WriteAll;

// A finished recording of a few pictures and sound frames, as the recorder writes it.
std::vector<uint8_t> SmallRecording() {
  auto out = std::make_unique<Mp4MemoryOutput>();
  Mp4MemoryOutput* bytes = out.get();
  Mp4File mp4;
  EXPECT_TRUE(mp4.Open(std::move(out), nullptr));
  testing::WritePictures(mp4, 10, 300, true);
  EXPECT_TRUE(mp4.Finalise());
  return bytes->Bytes();
}

class ExportFolder : public testing::ScratchFolder {
 protected:
  void SetUp() override {
    ScratchFolder::SetUp();
    recording_ = folder_ / u8"\uB179\uD654 CAM-1.mp4";
    original_ = SmallRecording();
    WriteAll(recording_, original_);
  }
  // The folder's files other than those named.
  std::vector<std::string> Others(std::initializer_list<fs::path> known) const {
    std::vector<std::string> others;
    for (const fs::directory_entry& e : fs::directory_iterator(folder_)) {
      bool listed = false;
      for (const fs::path& k : known) listed = listed || e.path().filename() == k.filename();
      if (!listed) others.push_back(Utf8(e.path().filename()));
    }
    return others;
  }
  fs::path recording_;
  std::vector<uint8_t> original_;
};

TEST_F(ExportFolder, ACopyIsWrittenAndReplacesAnOlderCopy) {
  const fs::path copy = folder_ / "copy.mkv";
  WriteAll(copy, std::vector<uint8_t>(70000, 0x42));
  ExportSummary summary;
  std::string error;
  ASSERT_TRUE(ExportRecordingFile(Utf8(recording_), Utf8(copy), &summary, &error)) << error;
  EXPECT_EQ(summary.pictures, 10u);
  EXPECT_EQ(summary.soundFrames, 10u);
  const std::vector<uint8_t> written = ReadAll(copy);
  ASSERT_GE(written.size(), 4u);
  EXPECT_EQ(std::vector<uint8_t>(written.begin(), written.begin() + 4), (std::vector<uint8_t>{0x1A, 0x45, 0xDF, 0xA3}))
      << "not a Matroska file";
  EXPECT_LT(written.size(), 70000u) << "the older copy's bytes stayed behind the new one";
  EXPECT_EQ(ReadAll(recording_), original_);
  EXPECT_EQ(Others({recording_, copy}), std::vector<std::string>{}) << "a temporary file stayed behind";
}

// The same file under its own name, through a hard link, through a symbolic
// link, or spelt another way: refused before a byte is written.
TEST_F(ExportFolder, AnOutputThatIsTheRecordingItselfIsRefusedAndTheRecordingKept) {
  std::vector<std::pair<std::string, fs::path>> names = {
      {"the same path", recording_},
      {"the same path spelt another way", folder_ / "." / recording_.filename()},
  };
  std::error_code linkError;
  fs::create_hard_link(recording_, folder_ / "hard.mp4", linkError);
  if (!linkError) names.push_back({"a hard link", folder_ / "hard.mp4"});
  else ADD_FAILURE() << "no hard link: " << linkError.message();
  fs::create_symlink(recording_, folder_ / "soft.mkv", linkError);
  if (!linkError) names.push_back({"a symbolic link", folder_ / "soft.mkv"});
#ifndef _WIN32
  else ADD_FAILURE() << "no symbolic link: " << linkError.message();
#endif
  for (const auto& [what, output] : names) {
    ExportSummary summary;
    std::string error;
    EXPECT_FALSE(ExportRecordingFile(Utf8(recording_), Utf8(output), &summary, &error)) << what;
    EXPECT_NE(error.find("is the recording itself"), std::string::npos) << what << ": " << error;
    EXPECT_TRUE(fs::exists(recording_)) << what;
    EXPECT_EQ(ReadAll(recording_), original_) << what;
    EXPECT_TRUE(fs::exists(output)) << what;
  }
  EXPECT_EQ(Others({recording_, folder_ / "hard.mp4", folder_ / "soft.mkv"}), std::vector<std::string>{});
}

// An input that is no finished recording fails the export after the output
// was opened: the file that was there keeps its bytes and nothing is left over.
TEST_F(ExportFolder, AFailedExportLeavesAnExistingOutputUntouchedAndNoTemporaryFile) {
  const fs::path broken = folder_ / "broken.mp4";
  WriteAll(broken, std::vector<uint8_t>(original_.begin(), original_.begin() + original_.size() / 2));
  const fs::path copy = folder_ / "copy.mkv";
  const std::vector<uint8_t> older(5000, 0x42);
  WriteAll(copy, older);
  const fs::path fresh = folder_ / "fresh.mkv";
  for (const fs::path& output : {copy, fresh}) {
    ExportSummary summary;
    std::string error;
    EXPECT_FALSE(ExportRecordingFile(Utf8(broken), Utf8(output), &summary, &error)) << Utf8(output);
    EXPECT_FALSE(error.empty());
  }
  EXPECT_EQ(ReadAll(copy), older) << "the older copy was harmed by a failed export";
  EXPECT_FALSE(fs::exists(fresh)) << "a failed export left a file";
  EXPECT_EQ(Others({recording_, broken, copy}), std::vector<std::string>{}) << "a temporary file stayed behind";
}

TEST_F(ExportFolder, AnOutputFolderThatDoesNotExistFailsWithAReason) {
  ExportSummary summary;
  std::string error;
  EXPECT_FALSE(ExportRecordingFile(Utf8(recording_), Utf8(folder_ / "missing" / "copy.mkv"), &summary, &error));
  EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
  EXPECT_EQ(ReadAll(recording_), original_);
}

}  // namespace
}  // namespace record
