#include "node/media/recording_names.h"

#include <algorithm>
#include <vector>

#include "os/file.h"
#include "record/open_recordings.h"
#include "record/recording_journal.h"

namespace node {

namespace {
// Numbered names tried before a recording gives up on a folder.
constexpr int kMaxNameTries = 10000;
}  // namespace

RecordingNames::RecordingNames()
    : output_factory_([](const std::string& path) -> std::unique_ptr<record::Mp4Output> {
        return record::Mp4FileOutput::CreateNew(path);
      }) {}

void RecordingNames::Begin(const std::string& path) {
  first_path_ = path;
  file_number_ = 1;
  cut_pending_ = false;
}

std::string RecordingNames::NumberedPath(const std::string& path, int number) {
  if (number <= 1) return path;
  const size_t name = path.find_last_of("/\\");
  const size_t dot = path.rfind('.');
  std::string suffix = "-";  // appended, not "-" + …: GCC 12 warns falsely (-Wrestrict) on that
  suffix += std::to_string(number);
  if (dot == std::string::npos || (name != std::string::npos && dot < name)) return path + suffix;
  return path.substr(0, dot) + suffix + path.substr(dot);
}

bool RecordingNames::InUse(const std::string& path) {
  if (os::FileExists(record::JournalPathFor(path))) return true;  // recording, or awaiting repair
  const record::OpenRecordingList* open = record::CurrentOpenRecordingList();
  if (!open) return false;
  const std::vector<std::string> paths = open->Paths();
  return std::find(paths.begin(), paths.end(), os::AbsolutePath(path)) != paths.end();
}

std::unique_ptr<record::Mp4Output> RecordingNames::CreateFreeOutput() {
  for (int tries = 0; tries < kMaxNameTries; ++tries, ++file_number_) {
    const std::string candidate = NumberedPath(first_path_, file_number_);
    if (os::FileExists(candidate) || InUse(candidate)) continue;
    std::unique_ptr<record::Mp4Output> output = output_factory_ ? output_factory_(candidate) : nullptr;
    if (output) {
      path_ = candidate;
      return output;
    }
    // Another program took the name in between: try the next one.
    if (!os::FileExists(candidate)) {
      path_ = candidate;
      return nullptr;
    }
  }
  path_ = NumberedPath(first_path_, file_number_);
  return nullptr;
}

void RecordingNames::Advance() {
  if (cut_pending_) {
    first_path_ = cut_path_;
    file_number_ = 1;
    cut_pending_ = false;
  } else {
    ++file_number_;
  }
}

void RecordingNames::CutTo(const std::string& path, const std::string& why) {
  cut_pending_ = true;
  cut_path_ = path;
  cut_why_ = why;
}

}  // namespace node
