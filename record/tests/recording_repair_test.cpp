// The journal kept beside a recording and the repair of recordings cut off
// before Finalise: a repaired file is byte for byte the file Finalise would
// have written for the samples that reached the disk whole.
#include "record/recording_repair.h"
#include "record/startup_repair.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <thread>

#include "os/byte_order.h"
#include "record/crc32.h"
#include "record/journal_format.h"
#include "record/mp4_file.h"
#include "record/mp4_reader.h"
#include "record/tests/mp4_test_util.h"

namespace record {
namespace {

using testing::ReadAll;
using testing::Utf8;
using testing::WriteAll;
namespace fs = std::filesystem;

constexpr uint32_t kCreationTime = 3000000000u;
const std::vector<uint8_t>& kHeaders = testing::kStreamHeaders;

// One call the node makes on the writer.
struct Unit {
  bool video;
  uint32_t index;
  uint32_t time;
  std::vector<uint8_t> bytes;
};

// Ninety pictures from 120 ms with an I picture every twelve, jitter and a
// 200 ms gap; sound frames from 30 ms, every 64 ms, handed over in time order.
std::vector<Unit> Session(uint32_t pictures = 90) {
  std::vector<Unit> units;
  units.push_back({true, 0, 0, kHeaders});
  uint32_t a = 0;
  for (uint32_t i = 1; i <= pictures; ++i) {
    const uint32_t t = 120 + (i - 1) * 40 + (i > 50 ? 200 : 0) + (i % 7 == 3 ? 3 : 0);
    std::vector<uint8_t> p(100 + (i * 37) % 900);
    for (size_t k = 5; k < p.size(); ++k) p[k] = uint8_t(k * i + 7);
    p[0] = 0, p[1] = 0, p[2] = 1, p[3] = 0xB6, p[4] = uint8_t(((i % 12 == 1) ? 0 : 1) << 6 | 0x10);
    for (; a * 64 + 30 <= t; ++a) {
      std::vector<uint8_t> frame(192);
      for (size_t k = 0; k < frame.size(); ++k) frame[k] = uint8_t(k + a * 3);
      units.push_back({false, a, a * 64 + 30, frame});
    }
    units.push_back({true, i, t, p});
  }
  return units;
}

bool Put(Mp4File& mp4, const Unit& u) {
  return u.video ? mp4.WriteVideo(u.bytes.data(), uint32_t(u.bytes.size()), u.index, u.time)
                 : mp4.WriteAudio(u.bytes.data(), uint32_t(u.bytes.size()), u.index, u.time);
}

// A recording in memory with its journal in memory, stopped at any point.
struct LiveRecording {
  // `sync_after`: units after which the journal marks the file durable.
  explicit LiveRecording(const std::vector<Unit>& units, size_t sync_after = SIZE_MAX) {
    auto m = std::make_unique<Mp4MemoryOutput>();
    auto j = std::make_unique<Mp4MemoryOutput>();
    media = m.get();
    journal = j.get();
    mp4.SetCreationTime(kCreationTime);
    auto keeper = std::make_unique<RecordingJournal>(std::move(j));
    journalKeeper = keeper.get();
    EXPECT_TRUE(mp4.Open(std::move(m), std::move(keeper)));
    for (size_t i = 0; i < units.size(); ++i) {
      Put(mp4, units[i]);
      if (i + 1 == sync_after) journalKeeper->SyncNow();
    }
  }
  Mp4File mp4;
  Mp4MemoryOutput* media;
  Mp4MemoryOutput* journal;
  RecordingJournal* journalKeeper;
};

// What Finalise writes for these units.
std::vector<uint8_t> Finished(const std::vector<Unit>& units) {
  Mp4File mp4;
  auto out = std::make_unique<Mp4MemoryOutput>();
  Mp4MemoryOutput* bytes = out.get();
  mp4.SetCreationTime(kCreationTime);
  EXPECT_TRUE(mp4.Open(std::move(out), nullptr));
  for (const Unit& u : units) Put(mp4, u);
  EXPECT_TRUE(mp4.Finalise());
  return bytes->Bytes();
}

uint64_t Fnv1a(const std::vector<uint8_t>& bytes) {
  uint64_t h = 0xcbf29ce484222325ull;
  for (uint8_t b : bytes) h = (h ^ b) * 0x100000001b3ull;
  return h;
}

fs::path JournalOf(const fs::path& p) { return fs::path(p.u8string() + u8".journal"); }

using RecordingFolder = testing::ScratchFolder;

// The stored digest is of the bytes the writer produced before it kept a
// journal: a normally stopped recording must not differ by one byte.
TEST_F(RecordingFolder, NormalStopGivesTheSameBytesAsBeforeAndLeavesNoJournal) {
  const fs::path path = folder_ / u8"\uB179\uD654 one.mp4";
  MemoryOpenRecordingList list;
  SetOpenRecordingList(&list);
  Mp4File mp4;
  mp4.SetCreationTime(kCreationTime);
  ASSERT_TRUE(mp4.Open(Utf8(path)));
  EXPECT_TRUE(mp4.Journaled());
  EXPECT_TRUE(fs::exists(JournalOf(path)));
  EXPECT_EQ(list.Paths(), std::vector<std::string>{Utf8(fs::absolute(path))});
  for (const Unit& u : Session()) Put(mp4, u);
  ASSERT_TRUE(mp4.Finalise());
  mp4.Close();
  SetOpenRecordingList(nullptr);

  const std::vector<uint8_t> bytes = ReadAll(path);
  EXPECT_EQ(bytes.size(), 64554u);
  EXPECT_EQ(Fnv1a(bytes), 0xbd4ca5fbf8b3dc66ull) << "the finished file differs from what the writer made before";
  EXPECT_EQ(bytes, Finished(Session())) << "journaled and unjournaled recordings differ";
  EXPECT_FALSE(fs::exists(JournalOf(path)));
  EXPECT_TRUE(list.Paths().empty()) << "a finished recording stays on the open list";
}

TEST(Journal, HoldsEveryWrittenSampleAndNothingRefusedOrLost) {
  // The journal's checksum is the standard CRC-32, check value included.
  EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t*>("123456789"), 9), 0xCBF43926u);
  // Room for the header, the configuration-free start and a few samples only.
  auto media = std::make_unique<Mp4MemoryOutput>(8 + 1200);
  auto journal = std::make_unique<Mp4MemoryOutput>();
  Mp4MemoryOutput* disk = media.get();
  Mp4MemoryOutput* log = journal.get();
  Mp4File mp4;
  mp4.SetCreationTime(kCreationTime);
  ASSERT_TRUE(mp4.Open(std::move(media), std::make_unique<RecordingJournal>(std::move(journal))));
  std::vector<JournalSample> written;
  for (const Unit& u : Session(12)) {
    const uint64_t at = mp4.Position();
    if (Put(mp4, u) && u.index + (u.video ? 0 : 1) > 0)
      written.push_back({u.video, uint32_t(at), uint32_t(u.bytes.size()), u.time, u.video && (u.bytes[4] >> 6) == 0});
  }
  const std::vector<uint8_t> refused = {0, 0, 1, 0xB3, 1, 2};
  EXPECT_FALSE(mp4.WriteVideo(refused.data(), uint32_t(refused.size()), 40, 9000));
  ASSERT_LT(written.size(), 19u) << "the disk never ran full";

  Mp4MemoryOutput copy(log->Bytes());
  JournalReader reader(copy);
  JournalEntry e;
  ASSERT_TRUE(reader.Next(&e));
  EXPECT_EQ(e.type, JournalRecord::kHeader);
  EXPECT_EQ(e.mode, 302);
  EXPECT_EQ(e.creationTime, kCreationTime);
  ASSERT_TRUE(reader.Next(&e));
  EXPECT_EQ(e.type, JournalRecord::kVideoConfig);
  EXPECT_EQ(e.config, kHeaders);
  for (const JournalSample& want : written) {
    ASSERT_TRUE(reader.Next(&e));
    EXPECT_EQ(e.sample.video, want.video);
    EXPECT_EQ(e.sample.offset, want.offset);
    EXPECT_EQ(e.sample.length, want.length);
    EXPECT_EQ(e.sample.time, want.time);
    EXPECT_EQ(e.sample.sync, want.sync);
    EXPECT_LE(uint64_t{want.offset} + want.length, disk->Bytes().size());
  }
  EXPECT_FALSE(reader.Next(&e)) << "a record for a sample that never reached the file";
  EXPECT_EQ(reader.Position(), log->Bytes().size());
}

// The samples of the cut-off file, in the order they were written: repair
// keeps a prefix of them.
size_t KeptUnits(const std::vector<uint8_t>& file, const std::vector<Unit>& units, std::string* why) {
  Mp4MemoryOutput m(file);
  Mp4Index index;
  if (!ReadMp4Index(m, &index, why)) return SIZE_MAX;
  if (index.topLevel != std::vector<std::string>{"mdat", "udta", "moov"}) return *why = "layout", SIZE_MAX;
  size_t video = 0, audio = 0;
  for (const Mp4ReadTrack& t : index.tracks) {
    if (t.handler == "vide") video = t.samples.size();
    if (t.handler == "soun") audio = t.samples.size();
  }
  // Units are kept in journal order: count until both tracks' counts are used.
  size_t kept = 1, v = 0, a = 0;
  while (kept < units.size() && ((units[kept].video && v < video) || (!units[kept].video && a < audio))) {
    ++(units[kept].video ? v : a);
    ++kept;
  }
  if (v != video || a != audio) return *why = "the kept samples are not a prefix", SIZE_MAX;
  return kept;
}

// Killed at any moment, or cut at any byte: either a valid file of a prefix
// of the samples, exactly as Finalise writes it, or a refusal that leaves
// the file as it was.
TEST(Repair, CutAtEveryByteGivesAPrefixOrARefusal) {
  const std::vector<Unit> units = Session(14);
  LiveRecording live(units, units.size() / 2);
  const std::vector<uint8_t> media = live.media->Bytes();
  const std::vector<uint8_t> journal = live.journal->Bytes();
  std::mt19937 random(22);
  struct Cut {
    size_t media, journal;
  };
  std::vector<Cut> cuts;
  for (size_t m = 0; m <= media.size(); ++m) cuts.push_back({m, journal.size()});
  for (size_t j = 0; j <= journal.size(); ++j) cuts.push_back({media.size(), j});
  for (int i = 0; i < 400; ++i) cuts.push_back({random() % (media.size() + 1), random() % (journal.size() + 1)});

  int repaired = 0;
  for (const Cut& cut : cuts) {
    Mp4MemoryOutput m(std::vector<uint8_t>(media.begin(), media.begin() + cut.media));
    Mp4MemoryOutput j(std::vector<uint8_t>(journal.begin(), journal.begin() + cut.journal));
    const RepairResult r = RepairStorage(m, j);
    const std::string at = "cut at " + std::to_string(cut.media) + "/" + std::to_string(cut.journal);
    if (r.status != RepairStatus::kRepaired) {
      EXPECT_TRUE(r.status == RepairStatus::kNothingToKeep || r.status == RepairStatus::kJournalMismatch) << at;
      EXPECT_FALSE(r.message.empty()) << at;
      EXPECT_EQ(m.Bytes(), std::vector<uint8_t>(media.begin(), media.begin() + cut.media)) << at << ": touched";
      continue;
    }
    ++repaired;
    std::string why;
    const size_t kept = KeptUnits(m.Bytes(), units, &why);
    ASSERT_NE(kept, SIZE_MAX) << at << ": " << why;
    ASSERT_EQ(m.Bytes(), Finished(std::vector<Unit>(units.begin(), units.begin() + kept))) << at;
    ASSERT_EQ(r.pictures + r.soundFrames + 1, kept) << at;
    if (cut.media == media.size() && cut.journal == journal.size()) {
      EXPECT_EQ(r.bytesDropped, 0u) << "nothing was cut";
    }
  }
  EXPECT_GT(repaired, int(cuts.size() / 2));
}

TEST(Repair, BytesThatNeverReachedTheDiskEndTheKeptSamples) {
  // A power cut: the journal is durable, the last samples' bytes are not.
  const std::vector<Unit> units = Session(20);
  LiveRecording live(units);
  std::vector<uint8_t> media = live.media->Bytes();
  const size_t lostFrom = media.size() - 1500;
  std::fill(media.begin() + lostFrom, media.end(), 0);
  Mp4MemoryOutput m(media);
  Mp4MemoryOutput j(live.journal->Bytes());
  const RepairResult r = RepairStorage(m, j);
  ASSERT_EQ(r.status, RepairStatus::kRepaired) << r.message;
  std::string why;
  const size_t kept = KeptUnits(m.Bytes(), units, &why);
  ASSERT_NE(kept, SIZE_MAX) << why;
  EXPECT_LT(kept, units.size());
  EXPECT_EQ(m.Bytes(), Finished(std::vector<Unit>(units.begin(), units.begin() + kept)));
  uint64_t keptBytes = 8;
  for (size_t i = 1; i < kept; ++i) keptBytes += units[i].bytes.size();
  EXPECT_EQ(r.bytesDropped, media.size() - keptBytes) << "dropped bytes counted from the end of the last whole sample";
}

// Finalise cut off after the media's size reached the disk but before the
// index did: the size alone makes no finished file.
TEST(Repair, AMediaSizeWithoutTheIndexIsStillRepaired) {
  const std::vector<Unit> units = Session(14);
  LiveRecording live(units);
  std::vector<uint8_t> media = live.media->Bytes();
  os::PutBE32(media.data(), uint32_t(media.size()));
  Mp4MemoryOutput m(media);
  Mp4MemoryOutput j(live.journal->Bytes());
  const RepairResult r = RepairStorage(m, j);
  ASSERT_EQ(r.status, RepairStatus::kRepaired) << r.message;
  EXPECT_EQ(m.Bytes(), Finished(units));
}

// Past the journal's last durable mark a wrong sample is one a power cut
// lost; before it, the journal is another file's, or the file was changed.
TEST(Repair, RefusesAJournalThatIsNotThisFilesAndTouchesNothing) {
  const std::vector<Unit> units = Session(10);
  LiveRecording one(units);
  one.journalKeeper->SyncNow();
  // Same silent sound, other pictures: only the pictures tell them apart.
  std::vector<Unit> other = units;
  for (Unit& u : other)
    if (u.video && u.index > 0) u.bytes.back() ^= 0x55;
  LiveRecording two(other);
  two.journalKeeper->SyncNow();
  std::vector<uint8_t> damagedStart = one.journal->Bytes();
  damagedStart[7] ^= 1;
  std::vector<uint8_t> changedMedia = one.media->Bytes();
  changedMedia[changedMedia.size() / 2] ^= 0x10;

  const struct {
    const char* name;
    std::vector<uint8_t> media, journal;
  } cases[] = {
      {"another recording's journal", one.media->Bytes(), two.journal->Bytes()},
      {"a journal damaged at its start", one.media->Bytes(), damagedStart},
      {"not a journal at all", one.media->Bytes(), std::vector<uint8_t>(300, 0x41)},
      {"a file changed after it was on disk", changedMedia, one.journal->Bytes()},
  };
  for (const auto& c : cases) {
    Mp4MemoryOutput m(c.media);
    Mp4MemoryOutput j(c.journal);
    const RepairResult r = RepairStorage(m, j);
    EXPECT_EQ(r.status, RepairStatus::kJournalMismatch) << c.name << ": " << r.message;
    EXPECT_EQ(m.Bytes(), c.media) << c.name;
  }
}

TEST_F(RecordingFolder, FilesOnDiskRepairOnceAndReportWhatTheyCouldNotRepair) {
  const std::vector<Unit> units = Session(30);
  // A recording cut off: closed without Finalise keeps its journal.
  const std::string cut = Utf8(folder_ / "cut.mp4");
  {
    Mp4File mp4;
    mp4.SetCreationTime(kCreationTime);
    ASSERT_TRUE(mp4.Open(cut));
    for (const Unit& u : units) Put(mp4, u);
    mp4.Close();
  }
  ASSERT_TRUE(fs::exists(cut + ".journal"));
  // A finished recording whose journal was left behind, one without a
  // journal that was never finished, and a journal whose recording is gone.
  const std::string complete = Utf8(folder_ / "complete.mp4");
  WriteAll(complete, Finished(units));
  WriteAll(complete + ".journal", ReadAll(cut + ".journal"));
  const std::string bare = Utf8(folder_ / "bare.mp4");
  const std::vector<uint8_t> cutBytes = ReadAll(cut);
  WriteAll(bare, std::vector<uint8_t>(cutBytes.begin(), cutBytes.begin() + 500));
  const std::string gone = Utf8(folder_ / "gone.mp4");
  WriteAll(gone + ".journal", ReadAll(cut + ".journal"));

  EXPECT_EQ(FindUnfinishedRecordings(Utf8(folder_)), (std::vector<std::string>{complete, cut, gone}));
  MemoryOpenRecordingList list;
  list.Add(bare);
  list.Add(cut);
  const RepairReport report = RepairAtStartup(list, {Utf8(folder_)});
  EXPECT_TRUE(list.Paths().empty());
  ASSERT_EQ(report.repaired.size(), 1u);
  EXPECT_EQ(report.repaired[0].path, cut);
  EXPECT_EQ(report.repaired[0].pictures, 30u);
  EXPECT_EQ(ReadAll(cut), Finished(units));
  EXPECT_FALSE(fs::exists(cut + ".journal"));
  ASSERT_EQ(report.complete.size(), 1u);
  EXPECT_EQ(report.complete[0].path, complete);
  EXPECT_FALSE(fs::exists(complete + ".journal")) << "a stale journal stays";
  ASSERT_EQ(report.notRepaired.size(), 2u);
  EXPECT_EQ(report.notRepaired[0].status, RepairStatus::kNoJournal);
  EXPECT_EQ(report.notRepaired[1].status, RepairStatus::kMissing);
  EXPECT_EQ(ReadAll(bare).size(), 500u);
  EXPECT_TRUE(fs::exists(gone + ".journal"));

  // Once more: nothing left to do.
  EXPECT_EQ(RepairRecording(cut).status, RepairStatus::kAlreadyComplete);
}

// Records the order in which outputs are synced.
class SyncLog : public Mp4Output {
 public:
  SyncLog(std::vector<std::string>* log, std::mutex* lock, const char* name) : log_(log), lock_(lock), name_(name) {}
  bool Write(const uint8_t*, size_t) override { return true; }
  bool Seek(uint64_t) override { return true; }
  bool Sync() override {
    std::lock_guard<std::mutex> guard(*lock_);
    log_->push_back(name_);
    return true;
  }

 private:
  std::vector<std::string>* log_;
  std::mutex* lock_;
  const char* name_;
};

TEST(Journal, SyncsTheSamplesBeforeTheJournalWhileTheRecordingRuns) {
  std::vector<std::string> log;
  std::mutex lock;
  Mp4File mp4;
  ASSERT_TRUE(mp4.Open(std::make_unique<SyncLog>(&log, &lock, "media"),
                       std::make_unique<RecordingJournal>(std::make_unique<SyncLog>(&log, &lock, "journal"))));
  for (const Unit& u : Session(3)) Put(mp4, u);
  // The sync thread runs every half second; give it ten times that.
  for (int i = 0; i < 100; ++i) {
    {
      std::lock_guard<std::mutex> guard(lock);
      if (log.size() >= 2) break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  std::lock_guard<std::mutex> guard(lock);
  ASSERT_GE(log.size(), 2u) << "no sync while the recording ran";
  EXPECT_EQ(log[0], "media");
  EXPECT_EQ(log[1], "journal");
}

}  // namespace
}  // namespace record
