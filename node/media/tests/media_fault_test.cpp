// A processor fault inside a decode call ends the process with exit code -1
// after its log line; faults elsewhere are left to their usual handling.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
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

TEST(DecoderFaultDeathTest, VideoFaultLogsAndExitsWithMinusOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        LogToStderr();
        GuardDecoderCall(DecoderKind::kVideo, 7, [] { return TouchInvalidMemory(); });
      },
      ::testing::ExitedWithCode(kFaultExitCode), "m_decoderVideo\\.Decode CRASH \\( 7 \\)");
}

TEST(DecoderFaultDeathTest, AudioFaultOnTheMediaWorkerLogsAndExits) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        LogToStderr();
        node::testing::RecordingPoster poster;
        FaultingFeeder feeder;
        NodeMediaPath path(4, poster, 1, nullptr, &feeder);
        path.StartWorker();
        const std::vector<uint8_t> unit(48, 1);
        path.DeliverMedia(node::testing::Media(net::kMediaAudio, unit, 0));
        node::testing::WaitFor([] { return false; }, 10000);
      },
      ::testing::ExitedWithCode(kFaultExitCode), "m_decoderAudio\\.Decode CRASH \\( 4 \\)");
}

TEST(DecoderFaultDeathTest, EscapedExceptionIsHandledLikeAFault) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        LogToStderr();
        GuardDecoderCall(DecoderKind::kVideo, 9, []() -> int { throw std::runtime_error("bad"); });
      },
      ::testing::ExitedWithCode(kFaultExitCode), "m_decoderVideo\\.Decode CRASH \\( 9 \\)");
}

#ifndef _WIN32
// Under Windows an unhandled fault would open the debugger of the system.
TEST(DecoderFaultDeathTest, FaultOutsideADecodeCallIsNotSwallowed) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        LogToStderr();
        GuardDecoderCall(DecoderKind::kVideo, 1, [] { return 0; });  // installs the handler
        TouchInvalidMemory();
        std::fputs("survived\n", stderr);
        std::_Exit(0);
      },
      [](int status) { return !::testing::ExitedWithCode(kFaultExitCode)(status) && !::testing::ExitedWithCode(0)(status); },
      "");
}

// The renderer runs after the decode call: its faults are not the decoder's.
TEST(DecoderFaultDeathTest, RendererFaultIsNotReportedAsADecoderFault) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  class FaultingSink : public present::PictureSink {
   public:
    void ShowPicture(const codec::DecodedPicture&) override { TouchInvalidMemory(); }
    void Resize(int, int) override {}
  };
  EXPECT_EXIT(
      {
        LogToStderr();
        node::testing::RecordingPoster poster;
        FaultingSink sink;
        NodeMediaPath path(4, poster, 1, &sink, nullptr);
        const auto stream = node::testing::LoadStream("test_320x240.m4v");
        path.DeliverMedia(node::testing::Media(net::kMediaVideoConfig, stream.configuration, 0));
        path.StartWorker();
        path.DeliverMedia(node::testing::Media(net::kMediaVideoFrame, stream.pictures.at(0), 0));
        node::testing::WaitFor([] { return false; }, 10000);
        std::_Exit(0);
      },
      [](int status) { return !::testing::ExitedWithCode(kFaultExitCode)(status) && !::testing::ExitedWithCode(0)(status); },
      "");
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
