#pragma once
// The names of a recording's files. Each file starts a new name and never
// replaces another file: a name that is taken gives way to "name-2.mp4",
// "name-3.mp4", ...; a cut (ContinueIn) starts the numbering again from a
// path of its own. Used under the recorder's stream lock only.
#include <functional>
#include <memory>
#include <string>

#include "record/mp4_output.h"

namespace node {

class RecordingNames {
 public:
  // Where a recording's bytes go; the default creates a new file at `path`
  // and gives null when one exists there.
  using OutputFactory = std::function<std::unique_ptr<record::Mp4Output>(const std::string& path)>;

  RecordingNames();
  void SetOutputFactory(OutputFactory factory) { output_factory_ = std::move(factory); }

  // A recording starts at `path`: its first file is the first free name from it.
  void Begin(const std::string& path);
  // A new output at the first free name from the current number on; sets
  // Path(). Null when none can be created (Path() names the one that failed).
  std::unique_ptr<record::Mp4Output> CreateFreeOutput();
  // The name the next file starts from: a cut's path, else the next number.
  void Advance();
  // The next file starts at `path` (then numbered after it), for `why`.
  void CutTo(const std::string& path, const std::string& why);
  bool CutPending() const { return cut_pending_; }
  const std::string& CutWhy() const { return cut_why_; }
  // A new file is a cut already.
  void DropCut() { cut_pending_ = false; }
  // The file being written.
  const std::string& Path() const { return path_; }
  void ClearPath() { path_.clear(); }

  // Whether a recording of this program, or one cut off and not yet
  // repaired, owns `path`.
  static bool InUse(const std::string& path);
  // "dir/name.mp4" numbered 2 is "dir/name-2.mp4"; number 1 is the path itself.
  static std::string NumberedPath(const std::string& path, int number);

 private:
  OutputFactory output_factory_;
  std::string path_;        // the file being written
  std::string first_path_;  // the path the numbering starts from
  int file_number_ = 1;
  bool cut_pending_ = false;  // the next file starts cut_path_
  std::string cut_path_, cut_why_;
};

}  // namespace node
