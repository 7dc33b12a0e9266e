// A processor fault inside a decode call ends the process with exit code -1
// after its log line; faults elsewhere are left to their usual handling.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <stdexcept>

#include "node/media/media_fault.h"
#include "node/media/media_path.h"
#include "present/picture_sink.h"
#include "present/playback_feeder.h"
#include "node/media/tests/test_support.h"
#include "os/debug_log.h"

namespace node {
namespace {

#ifdef _WIN32
constexpr int kFaultExitCode = -1;
#else
constexpr int kFaultExitCode = 255;  // exit(-1) as a POSIX parent sees it
#endif

void LogToStderr() {
  DebugLogObserve([](const std::string& line) { std::fputs(line.c_str(), stderr); });
}

int TouchInvalidMemory() {
  volatile uintptr_t address = 16;
  *reinterpret_cast<volatile int*>(address) = 1;
  return 0;
}

class FaultingFeeder : public present::PlaybackFeeder {
 public:
  bool IsOpen() const override { return true; }
  bool FeedOne(present::SoundSource& sound) override {
    if (sound.Waiting() == 0) return false;
    return TouchInvalidMemory() == 0;
  }
};

// `fault` ends the process as a decoder fault does: its log line names the
// decoder and the node.
void ExpectDecoderFault(const std::function<void()>& fault, const char* line) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        LogToStderr();
        fault();
      },
      ::testing::ExitedWithCode(kFaultExitCode), line);
}

TEST(DecoderFaultDeathTest, FaultsAndExceptionsInADecodeCallLogAndExitWithMinusOne) {
  ExpectDecoderFault([] { GuardDecoderCall(DecoderKind::kVideo, 7, [] { return TouchInvalidMemory(); }); },
                     "m_decoderVideo\\.Decode CRASH \\( 7 \\)");
  ExpectDecoderFault([] { GuardDecoderCall(DecoderKind::kVideo, 9, []() -> int { throw std::runtime_error("bad"); }); },
                     "m_decoderVideo\\.Decode CRASH \\( 9 \\)");
  // An audio unit on the media worker.
  ExpectDecoderFault(
      [] {
        node::testing::RecordingPoster poster;
        FaultingFeeder feeder;
        NodeMediaPath path(4, poster, 1, nullptr, &feeder);
        path.StartWorker();
        path.DeliverMedia(node::testing::Media(net::kMediaAudio, std::vector<uint8_t>(48, 1), 0));
        node::testing::WaitFor([] { return false; }, 10000);
      },
      "m_decoderAudio\\.Decode CRASH \\( 4 \\)");
}

#ifndef _WIN32
// `fault` dies of its fault as it would without the decoders' handler.
// (Under Windows an unhandled fault would open the debugger of the system.)
void ExpectOtherFault(const std::function<void()>& fault) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        LogToStderr();
        fault();
        std::_Exit(0);
      },
      [](int status) { return !::testing::ExitedWithCode(kFaultExitCode)(status) && !::testing::ExitedWithCode(0)(status); },
      "");
}

TEST(DecoderFaultDeathTest, FaultOutsideADecodeCallIsNotSwallowed) {
  ExpectOtherFault([] {
    GuardDecoderCall(DecoderKind::kVideo, 1, [] { return 0; });  // installs the handler
    TouchInvalidMemory();
  });
}

// The renderer runs after the decode call: its faults are not the decoder's.
TEST(DecoderFaultDeathTest, RendererFaultIsNotReportedAsADecoderFault) {
  class FaultingSink : public present::PictureSink {
   public:
    void ShowPicture(const codec::DecodedPicture&) override { TouchInvalidMemory(); }
    void Resize(int, int) override {}
  };
  ExpectOtherFault([] {
    node::testing::RecordingPoster poster;
    FaultingSink sink;
    NodeMediaPath path(4, poster, 1, &sink, nullptr);
    const auto stream = node::testing::LoadStream("test_320x240.m4v");
    path.DeliverMedia(node::testing::Media(net::kMediaVideoConfig, stream.configuration, 0));
    path.StartWorker();
    path.DeliverMedia(node::testing::Media(net::kMediaVideoFrame, stream.pictures.at(0), 0));
    node::testing::WaitFor([] { return false; }, 10000);
  });
}
#endif

TEST(DecoderFault, GuardedCallsReturnTheirResultAndNest) {
  DecoderKind kind;
  int value = 0;
  EXPECT_FALSE(CurrentDecoderGuard(&kind, &value));
  const int result = GuardDecoderCall(DecoderKind::kAudio, 5, [&] {
    EXPECT_TRUE(CurrentDecoderGuard(&kind, &value));
    EXPECT_EQ(kind, DecoderKind::kAudio);
    EXPECT_EQ(value, 5);
    GuardDecoderCall(DecoderKind::kVideo, 6, [&] {
      EXPECT_TRUE(CurrentDecoderGuard(&kind, &value));
      EXPECT_EQ(kind, DecoderKind::kVideo);
    });
    EXPECT_TRUE(CurrentDecoderGuard(&kind, &value));
    EXPECT_EQ(kind, DecoderKind::kAudio) << "the outer guard was not restored";
    return 42;
  });
  EXPECT_EQ(result, 42);
  EXPECT_FALSE(CurrentDecoderGuard(&kind, &value));
}

}  // namespace
}  // namespace node
