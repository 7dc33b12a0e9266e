#include "record/startup_repair.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "os/file.h"
#include "os/thread_name.h"

namespace record {
namespace {

bool Contains(const std::vector<std::string>& paths, const std::string& path) {
  return std::find(paths.begin(), paths.end(), path) != paths.end();
}

std::set<std::string> AbsolutePaths(const std::vector<std::string>& paths) {
  std::set<std::string> absolute;
  for (const std::string& p : paths) absolute.insert(os::AbsolutePath(p));
  return absolute;
}

// A folder as an absolute path without a separator at its end, so that
// "D:\rec", "D:\rec\" and "D:\rec\." compare equal.
std::string FolderKey(const std::string& folder) {
  std::string key = os::AbsolutePath(folder);
  while (key.size() > 1 && (key.back() == '/' || key.back() == '\\') && key[key.size() - 2] != ':') key.pop_back();
  return key;
}

// A failure the user can do something about; a recording in use, stopped or
// gone is not one.
bool WorthTelling(RepairStatus status) {
  switch (status) {
    case RepairStatus::kNoJournal:
    case RepairStatus::kJournalMismatch:
    case RepairStatus::kNothingToKeep:
    case RepairStatus::kFailed:
      return true;
    default:
      return false;
  }
}

std::string SecondsText(uint32_t ms) {
  char text[24];
  std::snprintf(text, sizeof text, "%u.%u", ms / 1000, (ms % 1000) / 100);
  return text;
}

}  // namespace

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::vector<std::string> RememberFolder(std::vector<std::string> newest_first, const std::string& folder) {
  if (folder.empty()) return newest_first;
  newest_first.erase(std::remove(newest_first.begin(), newest_first.end(), folder), newest_first.end());
  newest_first.insert(newest_first.begin(), folder);
  if (newest_first.size() > kRememberedFolders) newest_first.resize(kRememberedFolders);
  return newest_first;
}

std::vector<std::string> FoldersToSearch(const StartupRepairSources& sources) {
  std::vector<std::string> folders;
  std::set<std::string> seen;
  auto add = [&](const std::string& folder) {
    if (!folder.empty() && seen.insert(FolderKey(folder)).second) folders.push_back(folder);
  };
  for (const std::string& folder : sources.folders) add(folder);
  for (const std::string& path : sources.listed) add(FolderOf(path));
  return folders;
}

std::vector<std::string> RecordingsToRepair(const StartupRepairSources& sources, const std::vector<std::string>& found,
                                            const std::vector<std::string>& open_now) {
  const std::set<std::string> listedBefore = AbsolutePaths(sources.listed);
  std::set<std::string> seen;
  for (const std::string& p : AbsolutePaths(open_now))
    if (!listedBefore.count(p)) seen.insert(p);  // this run's own recordings
  std::vector<std::string> paths;
  for (const std::vector<std::string>* group : {&sources.listed, &found})
    for (const std::string& p : *group)
      if (seen.insert(os::AbsolutePath(p)).second) paths.push_back(p);
  return paths;
}

bool LeavesOpenList(RepairStatus status) {
  return status == RepairStatus::kRepaired || status == RepairStatus::kAlreadyComplete ||
         status == RepairStatus::kMissing || status == RepairStatus::kNoJournal;
}

RepairReport RepairAtStartup(OpenRecordingList& list, const StartupRepairSources& sources,
                             const RepairProgress& progress, const std::atomic<bool>* stop) {
  auto stopped = [stop] { return stop && stop->load(); };
  std::vector<std::string> found;
  for (const std::string& folder : FoldersToSearch(sources)) {
    if (stopped()) return {};
    const std::vector<std::string> here = FindUnfinishedRecordings(folder);
    found.insert(found.end(), here.begin(), here.end());
  }
  const std::vector<std::string> paths = RecordingsToRepair(sources, found, list.Paths());
  if (progress) progress(paths.size());
  RepairReport report;
  for (size_t i = 0; i < paths.size() && !stopped(); ++i) {
    RepairResult r = RepairRecording(paths[i], stop);
    if (LeavesOpenList(r.status) && Contains(sources.listed, paths[i])) list.Remove(paths[i]);
    AddToReport(report, std::move(r));
    if (progress) progress(paths.size() - i - 1);
  }
  return report;
}

RepairReport RepairAtStartup(OpenRecordingList& list, const std::vector<std::string>& folders) {
  return RepairAtStartup(list, StartupRepairSources{list.Paths(), folders});
}

std::vector<RepairNoticeLine> RepairNotice(const RepairReport& report) {
  std::vector<RepairNoticeLine> lines;
  for (const RepairResult& r : report.repaired) lines.push_back({r.path, true, SecondsText(r.durationMs)});
  for (const RepairResult& r : report.notRepaired)
    if (WorthTelling(r.status)) lines.push_back({r.path, false, std::string()});
  return lines;
}

StartupRepair::StartupRepair(OpenRecordingList& list, StartupRepairSources sources, os::WindowPoster& poster,
                             os::WindowHandle window, Messages messages)
    : list_(list), sources_(std::move(sources)), poster_(poster), window_(window), messages_(messages) {}

StartupRepair::~StartupRepair() { Stop(); }

void StartupRepair::Start() {
  if (thread_.joinable()) return;
  thread_ = std::thread([this] {
    os::NameCurrentThread("repair");
    Run();
  });
}

void StartupRepair::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

bool StartupRepair::Finished() const {
  std::lock_guard<std::mutex> hold(lock_);
  return finished_;
}

RepairReport StartupRepair::TakeReport() {
  std::lock_guard<std::mutex> hold(lock_);
  return std::move(report_);
}

void StartupRepair::Run() {
  RepairReport report = RepairAtStartup(
      list_, sources_, [this](size_t left) { poster_.Post(window_, messages_.progress, left, 0); }, &stop_);
  if (stop_) return;  // no one waits for the news
  {
    std::lock_guard<std::mutex> hold(lock_);
    report_ = std::move(report);
    finished_ = true;
  }
  poster_.Post(window_, messages_.done, 0, 0);
}

}  // namespace record
