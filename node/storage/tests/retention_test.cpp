// Retention over thirty days of hourly files of eight cameras on a fake
// disk: each limit is kept, the oldest files go first across cameras, kept,
// open, journaled and locked files never go, one event line per camera.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <functional>
#include <set>

#include "node/storage/keep_list.h"
#include "node/storage/retention.h"
#include "node/storage/tests/fake_storage.h"

namespace node {
namespace {

constexpr uint64_t kMB = uint64_t{1} << 20, kGB = uint64_t{1} << 30;
constexpr int kCameras = 8, kDays = 30;
const std::string kRoot = "/r";

using testing::LocalTime;  // day 0: 2026-11-02

std::string Stamp(const char* format, int64_t t) {
  char text[64];
  const std::time_t time = static_cast<std::time_t>(t);
  std::strftime(text, sizeof text, format, std::localtime(&time));
  return text;
}

// Day 0 is 2026-10-03, day 29 is 2026-11-01; every camera has a 100 MB file
// each hour, ending at the next hour, and a 20 MB motion file each noon.
struct Footage {
  testing::FakeStorage fs;
  KeepList keep;
  std::set<std::string> open;
  const int64_t base = LocalTime(-30, 0);
  int64_t now = 0;
  std::vector<std::string> guarded;  // kept, locked, journaled, open: never deleted

  std::string File(int camera, int64_t start, bool motion) const {
    const std::string name = "CAM-" + std::to_string(camera);
    return kRoot + "/" + name + "/" + Stamp("%Y-%m-%d", start) + "/" + name + Stamp("_%Y%m%d_%H%M%S", start) +
           (motion ? "_motion.mp4" : ".mp4");
  }
  Footage() {
    for (int c = 1; c <= kCameras; ++c)
      for (int d = 0; d < kDays; ++d) {
        const int64_t day = LocalTime(d - 30, 0);
        for (int h = 0; h < 24; ++h) fs.AddFile(File(c, day + h * 3600, false), 100 * kMB, day + (h + 1) * 3600);
        fs.AddFile(File(c, day + 12 * 3600 + 600, true), 20 * kMB, day + 12 * 3600 + 660);
      }
    now = LocalTime(0, 0) + 600;
    // The oldest file of four cameras may not go, each for its own reason.
    const std::string kept = File(3, base, false), locked = File(4, base, false), journaled = File(5, base, false),
                      opened = File(6, base, false);
    fs.ReplaceText(kRoot + "/" + kKeepFileName,
                   "halyard-keep 1\n" + kept.substr(kRoot.size() + 1) + "\n");
    keep.Load(fs, kRoot);
    fs.Lock(locked);
    fs.AddFile(journaled + ".journal", 4096, base + 3600);
    open.insert(opened);
    guarded = {kept, locked, journaled, opened};
  }
  RetentionReport Pass(const std::string& limits_text, bool dry_run = false) {
    RetentionRequest request;
    request.fs = &fs;
    request.root = kRoot;
    EXPECT_TRUE(ParseRetentionLimits(limits_text, &request.limits));
    request.keep = &keep;
    request.is_open = [this](const std::string& path) { return open.count(testing::FakeStorage::Norm(path)) > 0; };
    request.now = now;
    request.dry_run = dry_run;
    return RunRetentionPass(request);
  }
  uint64_t Recorded() const {
    uint64_t bytes = 0;
    for (const std::string& f : fs.Files())
      if (f.size() > 4 && f.compare(f.size() - 4, 4, ".mp4") == 0) bytes += fs.Get(f).size;
    return bytes;
  }
  uint64_t Free() {
    uint64_t free = 0, capacity = 0;
    fs.Space(kRoot, &free, &capacity);
    return free;
  }
};

// No file left (but the guarded ones) is older than one deleted.
void ExpectOldestFirst(Footage& f, const RetentionReport& report) {
  int64_t newestDeleted = 0;
  for (const auto& d : report.deleted) newestDeleted = std::max(newestDeleted, d.modified);
  for (const std::string& path : f.fs.Files()) {
    if (std::find(f.guarded.begin(), f.guarded.end(), path) != f.guarded.end()) continue;
    if (path.find(".mp4") == std::string::npos || path.find(".journal") != std::string::npos) continue;
    ASSERT_GE(f.fs.Get(path).modified, newestDeleted) << path << " stayed while newer footage went";
  }
}

TEST(Retention, EachLimitIsKeptOldestFirstAndGuardedFilesStay) {
  const int64_t day = 86400;
  const struct Case {
    const char* name;
    const char* limits;
    uint64_t capacity;  // of the disk, which holds the footage alone
    bool dry_run;
    std::function<void(Footage&, const RetentionReport&)> check;
  } cases[] = {
      {"days", "days=7", 2048 * kGB, false,
       [&](Footage& f, const RetentionReport& r) {
         for (const std::string& path : f.fs.Files()) {
           if (std::find(f.guarded.begin(), f.guarded.end(), path) == f.guarded.end() &&
               path.find(".journal") == std::string::npos) {
             ASSERT_GE(f.fs.Get(path).modified, f.now - 7 * day) << path;
           }
         }
         // 23 whole days of 24 files and a motion file each.
         EXPECT_EQ(r.deleted.size(), size_t(kCameras * 23 * 25 - 4));
         EXPECT_NE(std::find_if(r.events.begin(), r.events.end(),
                                [](const auto& e) {
                                  return e.camera == "CAM-1" &&
                                         e.text == "Deleted 575 recordings of CAM-1 from 2026-10-03 00:00 to "
                                                   "2026-10-26 00:00, 54.4 GB, to keep at most 7 days";
                                }),
                   r.events.end());
         EXPECT_FALSE(f.fs.Has(kRoot + "/CAM-1/2026-10-03")) << "an emptied day folder stayed";
         EXPECT_TRUE(f.fs.Has(kRoot + "/CAM-3/2026-10-03")) << "the kept file's folder went";
       }},
      {"size", "max-gb=200", 2048 * kGB, false,
       [](Footage& f, const RetentionReport& r) {
         EXPECT_LE(f.Recorded(), 200 * kGB);
         EXPECT_GT(f.Recorded(), 200 * kGB - 100 * kMB) << "more went than the limit asks";
         ExpectOldestFirst(f, r);
         EXPECT_NE(r.events[0].text.find(", to keep at most 200 GB"), std::string::npos) << r.events[0].text;
       }},
      {"free", "min-free-gb=100", 600 * kGB, false,
       [](Footage& f, const RetentionReport& r) {
         EXPECT_GE(f.Free(), 100 * kGB);
         EXPECT_FALSE(r.UnderFloor());
         ExpectOldestFirst(f, r);
         EXPECT_NE(r.events[0].text.find(", to keep 100 GB free"), std::string::npos) << r.events[0].text;
       }},
      {"default floor", "", 620 * kGB, false,
       [](Footage& f, const RetentionReport& r) {
         EXPECT_GE(f.Free(), 62 * kGB);
         ExpectOldestFirst(f, r);
         EXPECT_NE(r.events[0].text.find(", to keep 62 GB (10 % of the disk) free"), std::string::npos);
       }},
      {"motion kept longer", "days=7 motion-days=20", 2048 * kGB, false,
       [&](Footage& f, const RetentionReport& r) {
         size_t motion = 0;
         for (const std::string& path : f.fs.Files()) {
           const bool isMotion = path.find("_motion.mp4") != std::string::npos;
           motion += isMotion;
           if (std::find(f.guarded.begin(), f.guarded.end(), path) == f.guarded.end() &&
               path.find(".journal") == std::string::npos) {
             ASSERT_GE(f.fs.Get(path).modified, f.now - (isMotion ? 20 : 7) * day) << path;
           }
         }
         EXPECT_EQ(motion, size_t(kCameras * 20));
         size_t lines = 0;
         for (const auto& e : r.events)
           lines += e.text.find(", to keep motion recordings at most 20 days") != std::string::npos;
         EXPECT_EQ(lines, size_t(kCameras));
       }},
      {"dry run", "days=7", 2048 * kGB, true,
       [](Footage& f, const RetentionReport& r) {
         EXPECT_EQ(r.deleted.size(), size_t(kCameras * 23 * 25 - 4));
         EXPECT_EQ(f.fs.Files().size(), size_t(kCameras * kDays * 25 + 1)) << "a dry run deleted";
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Footage f;
    f.fs.SetDisk(c.capacity, 0);
    const RetentionReport report = f.Pass(c.limits, c.dry_run);
    ASSERT_TRUE(report.scanned);
    ASSERT_FALSE(report.deleted.empty());
    EXPECT_EQ(report.failed, 0u);
    for (const std::string& path : f.guarded) EXPECT_TRUE(f.fs.Has(path)) << path << " was deleted";
    // One line per camera and reason, naming its camera.
    std::set<std::pair<std::string, std::string>> seen;
    for (const auto& e : report.events) {
      EXPECT_EQ(e.text.rfind("Deleted ", 0), 0u) << e.text;
      EXPECT_NE(e.text.find(" of " + e.camera + " from "), std::string::npos) << e.text;
      EXPECT_TRUE(seen.insert({e.camera, e.text.substr(e.text.rfind(", to keep"))}).second) << e.text;
    }
    c.check(f, report);
  }
}

TEST(Retention, NothingGoesWhileTheKeepListCannotBeRead) {
  Footage f;
  f.fs.ReplaceText(kRoot + "/" + kKeepFileName, "halyard-keep 1\n../../etc/passwd\n");
  f.keep.Load(f.fs, kRoot);
  const RetentionReport report = f.Pass("days=1");
  EXPECT_TRUE(report.keep_list_broken);
  EXPECT_TRUE(report.deleted.empty());
  EXPECT_GT(report.passed_over, 0u);
}

TEST(KeepList, ParsesOnlyWholeBoundedLists) {
  const struct {
    std::string text;
    bool ok;
    size_t entries;
  } cases[] = {
      {"halyard-keep 1\n", true, 0},
      {"halyard-keep 1\r\nCAM/2026-11-01/a.mp4\r\n\r\nCAM\\2026-11-01\\b.mp4", true, 2},
      {"halyard-keep 1\nCAM/a.mp4\nCAM/a.mp4\n", true, 1},
      {"", false, 0},
      {"halyard-keep 2\nCAM/a.mp4\n", false, 0},
      {"halyard-keep 1\n/etc/passwd\n", false, 0},
      {"halyard-keep 1\nCAM/../../x.mp4\n", false, 0},
      {"halyard-keep 1\nC:/x.mp4\n", false, 0},
      {"halyard-keep 1\nCAM//a.mp4\n", false, 0},
      {"halyard-keep 1\n" + std::string(KeepFileLimits::kMaxLine + 1, 'a') + "\n", false, 0},
  };
  for (const auto& c : cases) {
    std::set<std::string> paths;
    EXPECT_EQ(ParseKeepList(c.text, &paths), c.ok) << c.text;
    EXPECT_EQ(paths.size(), c.entries) << c.text;
  }
  std::set<std::string> paths = {"CAM/2026-11-01/a.mp4", "B/2026-11-02/b.mp4"}, back;
  ASSERT_TRUE(ParseKeepList(FormatKeepList(paths), &back));
  EXPECT_EQ(back, paths);
}

}  // namespace
}  // namespace node
