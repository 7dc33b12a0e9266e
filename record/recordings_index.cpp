#include "record/recordings_index.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <set>
#include <system_error>

#include "os/file.h"
#include "record/recording_journal.h"
#include "record/recording_names.h"

namespace record {
namespace {

namespace fs = std::filesystem;

// How deep recordings lie below a root: ROOT\CAMERA\DAY\file.
constexpr int kMaxDepth = 2;
// A first file's first picture comes this soon after the time in its name
// (the recorder names the file when it starts and waits for an intra picture).
constexpr int64_t kFirstPictureWithinS = 600;
// A numbered continuation starts after the time in its name, within this.
constexpr int64_t kContinuationWithinS = 40 * 86400;
// A motion file starts with the seconds before the motion, kept in memory:
// never more than this before the time it was made.
constexpr int64_t kLongestPreRollMs = 120000;
constexpr int64_t kUsualPreRollMs = 3000;

std::string Utf8(const fs::path& p) {
  const std::u8string s = p.u8string();
  return std::string(s.begin(), s.end());
}

int64_t ModifiedMs(const fs::directory_entry& e, std::error_code& error) {
  const fs::file_time_type t = e.last_write_time(error);
  if (error) return 0;
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::file_clock::to_sys(t).time_since_epoch())
      .count();
}

struct Found {
  std::string path;  // from the root, '/' between folders
  uint64_t size = 0;
  int64_t modified = 0;
  bool journal = false;
};

void Scan(const fs::path& folder, const std::string& prefix, int depth, std::vector<Found>* out) {
  std::error_code error;
  std::set<std::string> journals;
  std::vector<Found> here;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::error_code e;
    const std::string name = Utf8(it->path().filename());
    if (it->is_directory(e)) {
      if (depth < kMaxDepth) Scan(it->path(), prefix + name + "/", depth + 1, out);
      continue;
    }
    if (name.size() > 8 && name.compare(name.size() - 8, 8, ".journal") == 0) {
      journals.insert(name.substr(0, name.size() - 8));
      continue;
    }
    RecordingName parsed;
    if (!ParseRecordingName(name, &parsed)) continue;
    Found f;
    f.path = prefix + name;
    f.size = it->file_size(e);
    f.modified = ModifiedMs(*it, e);
    here.push_back(std::move(f));
  }
  for (Found& f : here) {
    f.journal = journals.count(f.path.substr(prefix.size())) > 0;
    out->push_back(std::move(f));
  }
}

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool Unchanged(const FileFacts& known, const Found& now) {
  if (known.size != now.size || known.modified != now.modified) return false;
  // A cut-off file read from its journal needs it; one whose journal came
  // (a recording begun under a name just freed) is read again.
  return (known.state == FileState::kUnfinished) == now.journal;
}

FileFacts ReadFacts(const std::string& root, const Found& found) {
  FileFacts facts;
  facts.path = found.path;
  facts.size = found.size;
  facts.modified = found.modified;
  const std::string path = root + found.path;
  std::unique_ptr<Mp4FileOutput> media = Mp4FileOutput::OpenExisting(path, false);
  if (!media) return facts;
  std::unique_ptr<Mp4FileOutput> journal;
  if (found.journal) journal = Mp4FileOutput::OpenExisting(JournalPathFor(path), false);
  ReadFileFacts(*media, journal.get(), &facts);
  return facts;
}

bool LoadCache(const std::string& root, std::map<std::string, FileFacts>* known) {
  std::vector<uint8_t> bytes;
  std::vector<FileFacts> files;
  if (!os::ReadWholeFile(root + kIndexCacheName, &bytes, 256u << 20) ||
      !DecodeIndexCache(bytes.data(), bytes.size(), &files))
    return false;
  for (FileFacts& f : files) {
    std::string path = f.path;
    (*known)[path] = std::move(f);
  }
  return true;
}

// Written beside and renamed, so a reader never sees half an index; a root
// that cannot be written to simply has none.
bool SaveCache(const std::string& root, const std::map<std::string, FileFacts>& known) {
  std::vector<FileFacts> files;
  files.reserve(known.size());
  for (const auto& [path, facts] : known) files.push_back(facts);
  const std::vector<uint8_t> bytes = EncodeIndexCache(files);
  const std::string path = root + kIndexCacheName;
  const std::string part = path + ".part";
  if (!os::WriteWholeFile(part, bytes.data(), bytes.size())) return os::RemoveFile(part), false;
  std::error_code error;
  fs::rename(os::PathOf(part), os::PathOf(path), error);
  if (error) os::RemoveFile(part);
  return !error;
}

bool SameFacts(const FileFacts& a, const FileFacts& b) {
  if (a.size != b.size || a.modified != b.modified || a.state != b.state || a.creation != b.creation ||
      a.firstTime != b.firstTime || a.pictures != b.pictures || a.spans.size() != b.spans.size())
    return false;
  for (size_t i = 0; i < a.spans.size(); ++i)
    if (a.spans[i].begin != b.spans[i].begin || a.spans[i].end != b.spans[i].end) return false;
  return true;
}

// Where a file's first picture lies on the wall clock, from its name, the
// creation time its writer gave it (the second its first picture came) and,
// for a motion file, its modification time (its last picture).
struct Placed {
  RecordingFile file;
  int64_t nameMs = 0;
  bool exact = false;  // to the millisecond; otherwise to the second, and may join the file before it
  bool known = false;  // from the file itself; otherwise from its name alone
  std::string chain;   // the name its numbered continuations share
};

bool Place(const std::string& root, const FileFacts& facts, Placed* out) {
  RecordingName name;
  if (!ParseRecordingName(FileNameOf(facts.path), &name)) return false;
  int64_t nameS = 0;
  if (!LocalToWallSeconds(name.year, name.month, name.day, name.hour, name.minute, name.second, &nameS)) return false;
  RecordingFile& f = out->file;
  f.path = root + facts.path;
  f.camera = name.camera;
  f.kind = name.motion ? RecordingKind::kMotion : RecordingKind::kContinuous;
  f.state = facts.state;
  f.number = name.number;
  f.pictures = facts.pictures;
  out->nameMs = nameS * 1000;
  out->chain = facts.path.substr(0, facts.path.size() - FileNameOf(facts.path).size()) + name.camera +
               (name.motion ? "#m" : "#") + std::to_string(nameS);
  const int64_t creation = facts.creation;
  const int64_t subSecond = facts.firstTime < 1000 ? facts.firstTime : 0;
  if (name.motion) {
    // Its pictures up to the motion were written at once from memory when it
    // was made; those after came live, the last just before it was finished.
    const int64_t made = (creation ? creation : nameS) * 1000;
    const int64_t length = facts.spans.empty() ? 0 : facts.spans.back().end;
    // Where times are kept to the second (the Windows C runtime reads them
    // so), the last picture came somewhere in that second: its middle.
    const int64_t modified = facts.modified % 1000 == 0 ? facts.modified + 500 : facts.modified;
    const int64_t fromEnd = modified - length;
    const bool fits = facts.modified > 0 && fromEnd >= made - kLongestPreRollMs && fromEnd <= made + 1000;
    f.start = fits ? fromEnd : made - kUsualPreRollMs;
    out->exact = out->known = true;
  } else {
    const int64_t within = name.number == 1 ? kFirstPictureWithinS : kContinuationWithinS;
    if (creation && creation >= nameS - 2 && creation <= nameS + within) {
      f.start = creation * 1000 + subSecond;
      out->exact = subSecond != 0;
      out->known = true;
    } else {
      f.start = out->nameMs;
    }
  }
  return true;
}

void AddWallSpans(const FileFacts& facts, RecordingFile* f) {
  for (const FileSpan& s : facts.spans) f->spans.push_back({f->start + s.begin, f->start + s.end});
}

// The parts of `span` not yet in `covered`, which then holds them too.
std::vector<TimeSpan> Uncovered(TimeSpan span, std::map<int64_t, int64_t>* covered) {
  std::vector<TimeSpan> pieces;
  auto it = covered->upper_bound(span.begin);
  if (it != covered->begin()) --it;
  int64_t at = span.begin;
  for (; it != covered->end() && it->first < span.end; ++it) {
    if (it->second <= at) continue;
    if (it->first > at) pieces.push_back({at, it->first});
    at = std::max(at, it->second);
  }
  if (at < span.end) pieces.push_back({at, span.end});
  for (const TimeSpan& p : pieces) (*covered)[p.begin] = p.end;
  // Join neighbours so lookups stay short.
  for (auto i = covered->begin(); i != covered->end();) {
    auto next = std::next(i);
    if (next != covered->end() && next->first <= i->second) {
      i->second = std::max(i->second, next->second);
      covered->erase(next);
    } else {
      i = next;
    }
  }
  return pieces;
}

void Assemble(CameraRecordings* camera) {
  std::vector<RecordingFile>& files = camera->files;
  std::sort(files.begin(), files.end(), [](const RecordingFile& a, const RecordingFile& b) {
    return a.start != b.start ? a.start < b.start : a.path < b.path;
  });
  std::map<int64_t, int64_t> covered;
  std::vector<TimeSpan> all, motion;
  for (RecordingKind kind : {RecordingKind::kContinuous, RecordingKind::kMotion})
    for (size_t i = 0; i < files.size(); ++i) {
      if (files[i].kind != kind) continue;
      for (const TimeSpan& s : files[i].spans) {
        all.push_back(s);
        if (kind == RecordingKind::kMotion) motion.push_back(s);
        for (const TimeSpan& piece : Uncovered(s, &covered)) camera->segments.push_back({piece.begin, piece.end, i});
      }
    }
  std::sort(camera->segments.begin(), camera->segments.end(),
            [](const Segment& a, const Segment& b) { return a.begin < b.begin; });
  for (const EventBand& e : camera->events)
    if (e.motion && e.end > e.begin) motion.push_back({e.begin, e.end});
  // Files of one recording meet within a picture or two; a gap shorter than
  // the gap rule inside a file is none either.
  camera->recorded = MergeSpans(std::move(all), kGapMs);
  camera->motion = MergeSpans(std::move(motion));
}

}  // namespace

std::vector<TimeSpan> MergeSpans(std::vector<TimeSpan> spans, int64_t gap) {
  std::sort(spans.begin(), spans.end(), [](const TimeSpan& a, const TimeSpan& b) { return a.begin < b.begin; });
  std::vector<TimeSpan> merged;
  for (const TimeSpan& s : spans) {
    if (s.end <= s.begin) continue;
    if (!merged.empty() && s.begin < merged.back().end + std::max<int64_t>(gap, 1))
      merged.back().end = std::max(merged.back().end, s.end);
    else
      merged.push_back(s);
  }
  return merged;
}

const Segment* CameraRecordings::SegmentAt(int64_t time) const {
  auto it = std::upper_bound(segments.begin(), segments.end(), time,
                             [](int64_t t, const Segment& s) { return t < s.begin; });
  if (it == segments.begin()) return nullptr;
  --it;
  return time < it->end ? &*it : nullptr;
}

const Segment* CameraRecordings::SegmentAfter(int64_t time) const {
  auto it = std::upper_bound(segments.begin(), segments.end(), time,
                             [](int64_t t, const Segment& s) { return t < s.begin; });
  return it == segments.end() ? nullptr : &*it;
}

const Segment* CameraRecordings::SegmentBefore(int64_t time) const {
  auto it = std::upper_bound(segments.begin(), segments.end(), time,
                             [](int64_t t, const Segment& s) { return t < s.end; });
  return it == segments.begin() ? nullptr : &*std::prev(it);
}

std::vector<int> CameraRecordings::Days() const {
  std::vector<int> days;
  for (const TimeSpan& s : recorded) {
    for (int day = LocalDay(s.begin / 1000);; ) {
      if (days.empty() || days.back() != day) days.push_back(day);
      const int64_t next = LocalDayEnd(day);
      if (next <= day || next * 1000 >= s.end) break;
      day = LocalDay(next);
    }
  }
  std::sort(days.begin(), days.end());
  days.erase(std::unique(days.begin(), days.end()), days.end());
  return days;
}

const CameraRecordings* RecordingsCatalog::Find(const std::string& camera) const {
  auto it = std::lower_bound(cameras_.begin(), cameras_.end(), camera,
                             [](const CameraRecordings& c, const std::string& n) { return c.name < n; });
  return it != cameras_.end() && it->name == camera ? &*it : nullptr;
}

DayView RecordingsCatalog::Day(const CameraRecordings& camera, int yyyymmdd) {
  DayView view;
  view.day = yyyymmdd;
  view.begin = LocalDayStart(yyyymmdd) * 1000;
  view.end = LocalDayEnd(yyyymmdd) * 1000;
  auto clip = [&](const std::vector<TimeSpan>& in, std::vector<TimeSpan>* out) {
    for (const TimeSpan& s : in)
      if (s.end > view.begin && s.begin < view.end)
        out->push_back({std::max(s.begin, view.begin), std::min(s.end, view.end)});
  };
  clip(camera.recorded, &view.recorded);
  clip(camera.motion, &view.motion);
  for (const EventBand& e : camera.events)
    if (e.end >= view.begin && e.begin < view.end) view.events.push_back(e);
  for (const RecordingFile& f : camera.files)
    if (f.End() > view.begin && f.start < view.end) view.files.push_back(&f);
  return view;
}

std::shared_ptr<const RecordingsCatalog> RecordingsCatalog::Build(
    const std::vector<std::pair<std::string, std::vector<FileFacts>>>& roots, std::vector<EventBand> events) {
  std::vector<Placed> placed;
  std::vector<const FileFacts*> factsOf;
  std::set<std::string> seen;  // a folder listed twice, or inside another root
  for (const auto& [root, files] : roots)
    for (const FileFacts& facts : files) {
      Placed p;
      if (!Place(root, facts, &p)) continue;
      if (!seen.insert(os::AbsolutePath(p.file.path)).second) continue;
      placed.push_back(std::move(p));
      factsOf.push_back(&facts);
    }
  auto endOf = [&](size_t i) {
    const std::vector<FileSpan>& spans = factsOf[i]->spans;
    return placed[i].file.start + (spans.empty() ? 0 : spans.back().end);
  };
  // A numbered continuation whose own time is unknown follows on where the
  // file before it in its chain ended.
  std::map<std::string, std::vector<size_t>> chains;
  for (size_t i = 0; i < placed.size(); ++i) chains[placed[i].chain].push_back(i);
  for (auto& [chain, members] : chains) {
    std::sort(members.begin(), members.end(), [&](size_t a, size_t b) {
      return placed[a].file.number < placed[b].file.number;
    });
    for (size_t k = 1; k < members.size(); ++k)
      if (!placed[members[k]].known) placed[members[k]].file.start = endOf(members[k - 1]);
  }
  // A file known only to the second of its first picture joins the file
  // before it when that ended within the second: no gap and no jump between.
  std::vector<size_t> order(placed.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return placed[a].file.start != placed[b].file.start ? placed[a].file.start < placed[b].file.start
                                                        : placed[a].file.number < placed[b].file.number;
  });
  std::map<std::string, std::vector<int64_t>> ends;  // the latest ends of each camera's continuous files
  for (size_t i : order) {
    RecordingFile& f = placed[i].file;
    if (f.kind != RecordingKind::kContinuous) continue;
    std::vector<int64_t>& list = ends[f.camera];
    if (!placed[i].exact)
      for (int64_t end : list)
        if (end > f.start && end < f.start + 1000) f.start = end;
    list.push_back(endOf(i));
    if (list.size() > 8) list.erase(list.begin());
  }
  for (size_t i = 0; i < placed.size(); ++i) AddWallSpans(*factsOf[i], &placed[i].file);

  auto catalog = std::make_shared<RecordingsCatalog>();
  std::map<std::string, CameraRecordings> cameras;
  for (Placed& p : placed) {
    CameraRecordings& c = cameras[p.file.camera];
    c.name = p.file.camera;
    c.files.push_back(std::move(p.file));
  }
  std::stable_sort(events.begin(), events.end(), [](const EventBand& a, const EventBand& b) { return a.begin < b.begin; });
  for (EventBand& e : events) {
    auto it = cameras.find(FileSafeCameraName(e.camera));
    if (it != cameras.end()) it->second.events.push_back(std::move(e));
  }
  for (auto& [name, camera] : cameras) {
    Assemble(&camera);
    catalog->cameras_.push_back(std::move(camera));
  }
  return catalog;
}

RecordingsIndex::RecordingsIndex(std::vector<std::string> roots, std::string event_folder)
    : event_folder_(std::move(event_folder)) {
  for (std::string& path : roots) {
    if (path.empty()) continue;
    if (path.back() != '/' && path.back() != '\\') path += '/';
    Root root;
    root.path = std::move(path);
    roots_.push_back(std::move(root));
  }
}

std::shared_ptr<const RecordingsCatalog> RecordingsIndex::Refresh(IndexStats* stats,
                                                                  const std::function<void(size_t, size_t)>& progress,
                                                                  const std::atomic<bool>* stop) {
  IndexStats s;
  std::vector<std::vector<Found>> found(roots_.size());
  size_t toRead = 0;
  for (size_t r = 0; r < roots_.size(); ++r) {
    Root& root = roots_[r];
    if (!root.cacheRead) {
      root.cacheRead = true;
      LoadCache(root.path, &root.known);
    }
    Scan(os::PathOf(root.path), std::string(), 0, &found[r]);
    for (const Found& f : found[r]) {
      auto it = root.known.find(f.path);
      if (it == root.known.end() || !Unchanged(it->second, f)) ++toRead;
    }
  }
  std::vector<std::pair<std::string, std::vector<FileFacts>>> facts;
  for (size_t r = 0; r < roots_.size(); ++r) {
    Root& root = roots_[r];
    std::map<std::string, FileFacts> now;
    bool changed = false;
    for (const Found& f : found[r]) {
      if (stop && stop->load()) return nullptr;
      auto it = root.known.find(f.path);
      if (it != root.known.end() && Unchanged(it->second, f)) {
        now[f.path] = std::move(it->second);
        ++s.cached;
        continue;
      }
      FileFacts read = ReadFacts(root.path, f);
      changed = changed || it == root.known.end() || !SameFacts(it->second, read);
      now[f.path] = std::move(read);
      ++s.read;
      if (progress) progress(s.read, toRead);
    }
    changed = changed || now.size() != root.known.size();
    root.known = std::move(now);
    if (changed && SaveCache(root.path, root.known)) ++s.cachesWritten;
    std::vector<FileFacts> list;
    list.reserve(root.known.size());
    for (const auto& [path, f] : root.known) list.push_back(f);
    s.files += list.size();
    facts.emplace_back(root.path, std::move(list));
  }
  if (stats) *stats = s;
  return RecordingsCatalog::Build(facts, ReadEventFolder(event_folder_));
}

}  // namespace record
