// The event log: repetitions counted, bounded, safe from many threads; and
// the daily event file with its 30 days.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "node/events/event_file.h"
#include "node/events/event_log.h"
#include "os/clock.h"

namespace node {
namespace {

namespace fs = std::filesystem;

struct FakeClock {
  std::atomic<int64_t> now{1700000000};
  EventLog::Clock Get() {
    return [this] { return now.load(); };
  }
};

struct Recorder : EventListener {
  void OnEvent(const EventEntry& entry) override {
    std::lock_guard<std::mutex> lock(mutex);
    seen.push_back(entry);
  }
  std::mutex mutex;
  std::vector<EventEntry> seen;
};

TEST(EventLog, AFlappingCameraAddsCountsNotLines) {
  FakeClock clock;
  EventLog log(100, clock.Get());
  for (int i = 0; i < 50; ++i) {
    log.Add(EventKind::kLinkLost, "Gate", "Link lost");
    clock.now += 3;
    log.Add(EventKind::kConnected, "Gate", "Connected");
    clock.now += 3;
  }
  log.Add(EventKind::kLinkLost, "Yard", "Link lost");
  const auto entries = log.Entries();
  ASSERT_EQ(3u, entries.size());
  EXPECT_EQ("Yard", entries[0].camera) << "newest first";
  EXPECT_EQ(EventKind::kConnected, entries[1].kind) << "a repetition moves its entry to the front";
  EXPECT_EQ(50u, entries[1].count);
  EXPECT_EQ(50u, entries[2].count);
  EXPECT_EQ(entries[1].first_time + 49 * 6, entries[1].last_time);
  EXPECT_EQ("Gate", log.Entries("Gate").front().camera);
  EXPECT_EQ(2u, log.Entries("Gate").size());
  EXPECT_EQ((std::vector<std::string>{"Gate", "Yard"}), log.Cameras());
}

TEST(EventLog, RepetitionsOnlyWithinTheWindowAndTheAttemptsOfOneOutageAreOneEntry) {
  FakeClock clock;
  EventLog log(100, clock.Get());
  log.Add(EventKind::kLinkLost, "Gate", "Link lost");
  clock.now += EventLog::kRepeatWindowS + 1;
  log.Add(EventKind::kLinkLost, "Gate", "Link lost");
  EXPECT_EQ(2u, log.Entries().size()) << "an old entry is not counted into";
  for (int n = 1; n <= 8; ++n) {
    log.Add(EventKind::kReconnectAttempt, "Gate", "Reconnect attempt " + std::to_string(n));
    clock.now += 10;
  }
  log.Add(EventKind::kStalled, "Gate", "Stalled");
  log.Add(EventKind::kStalled, "Gate", "Stalled again, other text");
  const auto entries = log.Entries();
  ASSERT_EQ(5u, entries.size());
  EXPECT_EQ("Reconnect attempt 8", entries[2].text);
  EXPECT_EQ(8u, entries[2].count);
  EXPECT_EQ(1u, entries[0].count) << "other texts of one kind stay apart";
}

TEST(EventLog, KeepsOnlyTheNewestEntries) {
  FakeClock clock;
  EventLog log(10, clock.Get());
  for (int i = 0; i < 25; ++i) log.Add(EventKind::kCameraNotice, "Gate", "notice " + std::to_string(i));
  const auto entries = log.Entries();
  ASSERT_EQ(10u, entries.size());
  EXPECT_EQ("notice 24", entries.front().text);
  EXPECT_EQ("notice 15", entries.back().text);
  EXPECT_EQ(25u, entries.front().serial);
}

TEST(EventLog, ManyThreadsAddWhileOthersRead) {
  EventLog log(500);
  Recorder recorder;
  log.AddListener(&recorder);
  std::atomic<bool> done{false};
  std::thread reader([&] {
    while (!done) (void)log.Entries("camera 1").size();
  });
  std::vector<std::thread> writers;
  for (int t = 0; t < 4; ++t)
    writers.emplace_back([&, t] {
      for (int i = 0; i < 300; ++i)
        log.Add(EventKind::kCameraAlarm, "camera " + std::to_string(t), "alarm " + std::to_string(i));
    });
  for (auto& w : writers) w.join();
  done = true;
  reader.join();
  log.RemoveListener(&recorder);
  EXPECT_EQ(500u, log.Entries().size());
  EXPECT_EQ(1200u, recorder.seen.size());
  EXPECT_EQ(1200u, log.Changes());
  for (size_t i = 1; i < recorder.seen.size(); ++i)
    ASSERT_LT(recorder.seen[i - 1].serial, recorder.seen[i].serial) << "listeners heard the entries out of order";
}

TEST(EventLog, LinesTellTheFirstRepetitionsThenEveryPowerOfTen) {
  EventEntry e;
  std::vector<uint32_t> told;
  for (e.count = 1; e.count <= 1000; ++e.count)
    if (WorthALine(e)) told.push_back(e.count);
  EXPECT_EQ((std::vector<uint32_t>{1, 2, 3, 10, 100, 1000}), told);
  e.count = 4;
  e.camera = "Gate";
  e.text = "Link lost";
  EXPECT_NE(std::string::npos, EventLine(e).find(" Gate Link lost (4 times)"));
  EXPECT_EQ("3 min 5 s", DurationText(185));
  EXPECT_EQ("2 h 4 min", DurationText(2 * 3600 + 4 * 60 + 9));
}

class EventFile : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("halyard-events-" + std::to_string(os::MonotonicMs()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }
  std::string Folder() const { return folder_.string() + "/"; }
  std::string Read(const std::string& name) const {
    std::ifstream in(folder_ / name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  fs::path folder_;
};

TEST_F(EventFile, AppendsEachEventToTheDaysFileAndKeepsThirtyDays) {
  FakeClock clock;
  const int64_t today = clock.now;
  const std::string old_day = EventFileWriter::FileName(today - 30 * 86400);
  const std::string kept_day = EventFileWriter::FileName(today - 29 * 86400);
  for (const std::string& name : {old_day, kept_day, std::string("events-notes.log"), std::string("other.txt")})
    std::ofstream(folder_ / name) << "x";

  EventLog log(100, clock.Get());
  {
    EventFileWriter writer(Folder() + "Halyard/");
    log.AddListener(&writer);
    log.Add(EventKind::kConnected, "Gate", "Connected");
    for (int i = 0; i < 20; ++i) log.Add(EventKind::kLinkLost, "정문", "Link lost");
    writer.Flush();
    log.RemoveListener(&writer);
  }
  const std::string text = Read("Halyard/" + EventFileWriter::FileName(today));
  EXPECT_NE(std::string::npos, text.find("\tGate\tConnected\r\n")) << text;
  EXPECT_NE(std::string::npos, text.find("\t\xEC\xA0\x95\xEB\xAC\xB8\tLink lost (10 times)\r\n")) << "UTF-8 camera name";
  size_t lines = 0;
  for (char c : text) lines += c == '\n';
  EXPECT_EQ(5u, lines) << "repetitions 1, 2, 3 and 10, and the connect:\n" << text;

  // The writer prunes its own folder.
  EventLog other(100, clock.Get());
  {
    EventFileWriter writer(Folder());
    other.AddListener(&writer);
    other.Add(EventKind::kConnected, "Gate", "Connected");
    writer.Flush();
    other.RemoveListener(&writer);
  }
  EXPECT_FALSE(fs::exists(folder_ / old_day)) << "a file of 30 days ago is deleted";
  EXPECT_TRUE(fs::exists(folder_ / kept_day));
  EXPECT_TRUE(fs::exists(folder_ / "events-notes.log")) << "only dated event files are ours";
  EXPECT_TRUE(fs::exists(folder_ / "other.txt"));
}

}  // namespace
}  // namespace node
