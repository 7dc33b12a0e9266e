// What the view paints over its pictures and how: the lines its state asks
// for, their colours in the picture's pixels, clipping at the edges, the
// drag frame scaled from the screen to the picture, and the sink that
// paints into a copy so the node's picture stays as decoded.
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "app/view/overlay.h"
#include "app/view/overlay_sink.h"

namespace app::view {
namespace {

// Every text a solid block, 6 pixels a character, 10 high.
struct BlockText : TextRasteriser {
  TextMask Render(const std::string& text, int height) override {
    const int w = 6 * static_cast<int>(text.size());
    heights.push_back(height);
    return {w, 10, std::vector<uint8_t>(size_t(w) * 10, 255)};
  }
  std::vector<int> heights;
};

OverlayContent Content(std::string status, bool show, int viewers, std::string name, bool recording, bool ended) {
  OverlayContent c;
  c.status = std::move(status);
  c.show_status = show;
  c.viewers = viewers;
  c.name = std::move(name);
  c.recording = recording;
  c.end_of_file = ended;
  return c;
}

struct Picture {
  Picture(int w, int h, uint8_t luma = 60) : bytes(size_t(w) * h * 3 / 2, 128), view{nullptr, w, h} {
    std::fill(bytes.begin(), bytes.begin() + size_t(w) * h, luma);
    view.data = bytes.data();
  }
  uint8_t Y(int x, int y) const { return bytes[size_t(y) * view.width + x]; }
  uint8_t U(int x, int y) const { return view.U()[size_t(y / 2) * (view.width / 2) + x / 2]; }
  uint8_t V(int x, int y) const { return view.V()[size_t(y / 2) * (view.width / 2) + x / 2]; }
  std::vector<uint8_t> bytes;
  codec::DecodedPicture view;
};

TEST(OverlayLines, TheStateDecidesTextsColoursAndBands) {
  struct Case {
    const char* what;
    OverlayContent content;
    std::vector<OverlayLine> lines;
  } cases[] = {
      {"rate and name", Content("25 fps, 800 kbps", true, 0, "Gate", false, false),
       {{"25 fps, 800 kbps", kYellow, OverlayBand::kTop}, {"Gate", kMagenta, OverlayBand::kBottom}}},
      {"one viewer shows no count", Content("1 fps, 2 kbps", true, 1, "", false, false),
       {{"1 fps, 2 kbps", kYellow, OverlayBand::kTop}}},
      {"half the viewer count above one", Content("1 fps, 2 kbps", true, 5, "", false, false),
       {{"1 fps, 2 kbps  2 User", kYellow, OverlayBand::kTop}}},
      {"rate hidden, recording", Content("1 fps, 2 kbps", false, 4, "Gate", true, false),
       {{"REC", kRed, OverlayBand::kBelowTop}, {"Gate", kMagenta, OverlayBand::kBottom}}},
      {"a finished file", Content("0 fps, 0 kbps", false, 0, "rec/one.mp4", false, true),
       {{"End of File", kWhite, OverlayBand::kMiddle}, {"rec/one.mp4", kMagenta, OverlayBand::kBottom}}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.lines, OverlayLines(c.content)) << c.what;
}

TEST(OverlayPaint, TextsAreCentredOnTheirLinesInTheirColours) {
  BlockText text;
  const OverlayContent content = Content("ab", true, 0, "name", true, false);
  auto overlay = Overlay::Make(content, text);
  Picture p(64, 48);
  overlay->Paint(p.view);
  const std::vector<ScreenRect> places = overlay->Layout(64, 48);
  ASSERT_EQ(3u, places.size());
  EXPECT_EQ((ScreenRect{26, 3, 38, 13}), places[0]) << "rate centred at the top";
  EXPECT_EQ((ScreenRect{23, 14, 41, 24}), places[1]) << "REC on the line below";
  EXPECT_EQ((ScreenRect{20, 35, 44, 45}), places[2]) << "name at the bottom";
  const Yuv yellow = ToYuv(kYellow), red = ToYuv(kRed), magenta = ToYuv(kMagenta);
  EXPECT_EQ(yellow.y, p.Y(30, 6));
  EXPECT_EQ(yellow.u, p.U(30, 6));
  EXPECT_EQ(yellow.v, p.V(30, 6));
  EXPECT_EQ(red.v, p.V(30, 18));
  EXPECT_EQ(magenta.y, p.Y(30, 40));
  EXPECT_EQ(0, p.Y(38, 13)) << "a shadow below and right of each text";
  EXPECT_EQ(60, p.Y(2, 6)) << "outside the texts the picture is untouched";
  EXPECT_EQ(128, p.U(2, 30));
}

// A stalled view: the old picture loses its colour and half its brightness,
// the time of the last picture stands white in its middle; a finished file
// says only "End of File".
TEST(OverlayPaint, AStalledViewGreysItsPictureUnderTheNoVideoText) {
  OverlayContent content = Content("", false, 0, "Gate", false, false);
  content.no_video = "No video since 12:34:56";
  EXPECT_EQ((std::vector<OverlayLine>{{"No video since 12:34:56", kWhite, OverlayBand::kMiddle},
                                      {"Gate", kMagenta, OverlayBand::kBottom}}),
            OverlayLines(content));
  BlockText text;
  auto overlay = Overlay::Make(content, text);
  Picture p(160, 48, 200);
  std::fill(p.bytes.begin() + 160 * 48, p.bytes.end(), uint8_t{30});  // a strongly coloured picture
  overlay->Paint(p.view);
  EXPECT_EQ(100, p.Y(2, 2)) << "dimmed";
  EXPECT_EQ(128, p.U(2, 2)) << "no colour";
  EXPECT_EQ(128, p.V(2, 2));
  const ScreenRect middle = overlay->Layout(160, 48)[0];
  EXPECT_EQ(ToYuv(kWhite).y, p.Y(middle.left + 1, middle.top + 1));
  content.end_of_file = true;
  EXPECT_EQ(2u, OverlayLines(content).size());
  Picture q(16, 16, 200);
  Overlay::Make(content, text)->Paint(q.view);
  EXPECT_EQ(200, q.Y(1, 1)) << "a finished file keeps its picture";
}

TEST(OverlayPaint, ATextWiderThanThePictureShowsItsStart) {
  BlockText text;
  auto overlay = Overlay::Make(Content("", false, 0, std::string(20, 'n'), false, false), text);
  const std::vector<ScreenRect> places = overlay->Layout(64, 48);
  ASSERT_EQ(1u, places.size());
  EXPECT_EQ(0, places[0].left) << "the 120-pixel name begins at the picture's left edge";
}

TEST(OverlayPaint, ColoursComeBackThroughTheRenderersConversion) {
  // The renderers turn YCbCr into RGB with R = Y + 1.402 (Cr - 128) and so on.
  for (Colour c : {kYellow, kMagenta, kRed, kWhite}) {
    const Yuv yuv = ToYuv(c);
    const double r = yuv.y + 1.402 * (yuv.v - 128);
    const double g = yuv.y - 0.344 * (yuv.u - 128) - 0.714 * (yuv.v - 128);
    const double b = yuv.y + 1.772 * (yuv.u - 128);
    EXPECT_NEAR(c & 0xFF, std::clamp(r, 0.0, 255.0), 3) << std::hex << c;
    EXPECT_NEAR((c >> 8) & 0xFF, std::clamp(g, 0.0, 255.0), 3) << std::hex << c;
    EXPECT_NEAR((c >> 16) & 0xFF, std::clamp(b, 0.0, 255.0), 3) << std::hex << c;
  }
}

TEST(OverlayPaint, PartialCoverageBlendsAndMasksAreClippedAtTheEdges) {
  Picture p(16, 16, 0);
  TextMask half{4, 4, std::vector<uint8_t>(16, 128)};
  PaintMask(p.view, half, -2, -2, kWhite);  // hangs over the top left corner
  EXPECT_EQ(128, p.Y(0, 0));
  EXPECT_EQ(128, p.Y(1, 1));
  EXPECT_EQ(0, p.Y(2, 2));
  TextMask full{8, 8, std::vector<uint8_t>(64, 255)};
  PaintMask(p.view, full, 12, 12, kWhite);  // over the bottom right corner
  EXPECT_EQ(255, p.Y(15, 15));
  PaintMask(p.view, full, 100, 100, kWhite);  // entirely outside: nothing, no fault
  TextMask short_mask{8, 8, std::vector<uint8_t>(10, 255)};
  PaintMask(p.view, short_mask, 0, 0, kRed);  // inconsistent mask: refused
  EXPECT_EQ(128, p.Y(0, 0));
}

TEST(OverlayPaint, TheDragFrameIsScaledFromThePictureAreaToThePicture) {
  BlockText text;
  OverlayContent content;
  content.show_status = false;
  content.drag = true;
  content.drag_rect = {600, 400, 100, 40};  // dragged up and left on a 640 x 480 area
  content.area_width = 640;
  content.area_height = 480;
  auto overlay = Overlay::Make(content, text);
  ScreenRect frame;
  ASSERT_TRUE(overlay->DragFrame(320, 240, &frame));
  EXPECT_EQ((ScreenRect{50, 20, 300, 200}), frame);
  Picture p(320, 240, 0);
  overlay->Paint(p.view);
  EXPECT_EQ(255, p.Y(50, 100)) << "left edge";
  EXPECT_EQ(255, p.Y(299, 100)) << "right edge";
  EXPECT_EQ(255, p.Y(150, 21)) << "top edge, two wide";
  EXPECT_EQ(0, p.Y(150, 100)) << "inside stays";
}

TEST(OverlayPaint, TheMaskGridDarkensMaskedCellsAndLightensTheLinesOnly) {
  BlockText text;
  OverlayContent content;
  content.show_status = false;
  content.mask_grid = true;
  content.mask.set(1 * node::MotionDetector::kColumns + 2);  // cell (2, 1): x 40..59, y 20..39 at 640 x 480
  auto overlay = Overlay::Make(content, text);
  ASSERT_FALSE(overlay->empty());
  Picture p(640, 480, 200);
  std::fill(p.bytes.begin() + 640 * 480, p.bytes.end(), 200);  // a coloured picture
  overlay->Paint(p.view);
  EXPECT_EQ(100, p.Y(50, 30)) << "masked cell, half way to black";
  EXPECT_NEAR(164, p.U(50, 30), 1) << "and half way to grey";
  EXPECT_EQ(200, p.Y(10, 10)) << "a watched cell's inside stays";
  EXPECT_EQ(200, p.U(10, 10));
  EXPECT_GT(p.Y(20, 10), 200) << "a column line";
  EXPECT_GT(p.Y(10, 20), 200) << "a row line";
  EXPECT_EQ(200, p.Y(19, 10)) << "one pixel wide";

  // The cells that change now tint blue, those that make up objects red.
  Picture q(640, 480, 128);
  content.mask.reset();
  content.changed.set(0);                                   // cell (0, 0)
  content.objects.set(node::MotionDetector::kColumns + 0);  // cell (0, 1)
  Overlay::Make(content, text)->Paint(q.view);
  EXPECT_GT(q.U(10, 10), 160) << "a changed cell";
  EXPECT_GT(q.V(10, 30), 160) << "an object's cell";
  EXPECT_EQ(128, q.U(100, 100)) << "a quiet cell";

  // Closing the settings takes the grid away, whatever the mask.
  content.mask_grid = false;
  EXPECT_TRUE(Overlay::Make(content, text)->empty());
}

// Records the pictures it is given (their bytes, whether they are the
// source's own buffer, their sizes) and the sizes it is told.
struct RecordingSink : present::PictureSink {
  void ShowPicture(const codec::DecodedPicture& picture) override {
    last.assign(picture.data, picture.data + picture.Size());
    same_buffer = picture.data == source;
    shown_sizes.push_back(picture.width * 1000 + picture.height);
  }
  void Resize(int w, int h) override { resized.push_back(w * 1000 + h); }
  std::vector<uint8_t> last;
  const uint8_t* source = nullptr;
  bool same_buffer = false;
  std::vector<int> shown_sizes, resized;
};

// Blocks in ShowPicture until released: the media worker in a slow draw.
struct SlowSink : present::PictureSink {
  void ShowPicture(const codec::DecodedPicture&) override {
    std::unique_lock<std::mutex> lock(mutex);
    drawing = true;
    changed.notify_all();
    changed.wait(lock, [&] { return released; });
  }
  void Resize(int, int) override {}
  std::mutex mutex;
  std::condition_variable changed;
  bool drawing = false, released = false;
};

TEST(OverlaySink, TheWindowsRedrawNeverWaitsForTheWorkersDraw) {
  SlowSink next;
  OverlaySink sink(next);
  Picture p(32, 32);
  std::thread worker([&] { sink.ShowPicture(p.view); });
  {
    std::unique_lock<std::mutex> lock(next.mutex);
    next.changed.wait(lock, [&] { return next.drawing; });
  }
  EXPECT_FALSE(sink.TryRedraw(p.view)) << "the worker is drawing: skip, do not wait";
  {
    std::lock_guard<std::mutex> lock(next.mutex);
    next.released = true;
  }
  next.changed.notify_all();
  worker.join();
  EXPECT_TRUE(sink.TryRedraw(p.view));
  EXPECT_EQ(2u, sink.shown());
}

TEST(OverlaySink, PaintsIntoACopyAndPassesPicturesOn) {
  RecordingSink next;
  OverlaySink sink(next);
  BlockText text;
  Picture p(64, 48);
  next.source = p.bytes.data();
  sink.ShowPicture(p.view);
  EXPECT_TRUE(next.same_buffer) << "without an overlay the picture goes on as it is";
  sink.SetOverlay(Overlay::Make(Content("x", true, 0, "", false, false), text));
  sink.ShowPicture(p.view);
  EXPECT_FALSE(next.same_buffer);
  EXPECT_NE(p.bytes, next.last) << "the copy carries the text";
  EXPECT_EQ(std::vector<uint8_t>(p.bytes.size() * 2 / 3, 60),
            std::vector<uint8_t>(p.bytes.begin(), p.bytes.begin() + p.bytes.size() * 2 / 3))
      << "the node's picture stays as decoded";
  EXPECT_EQ(next.last, sink.Composed(p.view)) << "a snapshot shows what the window shows";
  EXPECT_EQ(2u, sink.shown());
  sink.Resize(320, 240);
  EXPECT_EQ(320240, next.resized.back());
}

TEST(OverlaySink, StretchesToTheScreenSizeAndPaintsTextsThereAtOneSize) {
  RecordingSink next;
  OverlaySink sink(next);
  BlockText text;
  Picture qcif(176, 144);
  sink.SetScreenSize(320, 240);
  sink.Resize(176, 144);
  EXPECT_EQ((std::vector<int>{320240}), next.resized) << "the renderer works at the screen size";
  sink.SetOverlay(Overlay::Make(Content("25 fps, 800 kbps", true, 0, "Yard", false, false), text));
  sink.ShowPicture(qcif.view);
  ASSERT_EQ((std::vector<int>{320240}), next.shown_sizes) << "a QCIF picture stretched to 1x";
  // The block text is 10 rows high in the stretched picture too: its rows
  // from the top margin down are the text's, then the picture's again.
  int text_rows = 0;
  for (int y = 0; y < 30; ++y) text_rows += next.last[size_t(y) * 320 + 160] != 60;
  EXPECT_EQ(11, text_rows) << "10 rows of text and the shadow's one, at the screen's resolution";
  for (int h : text.heights) EXPECT_EQ(13, h) << "every text at the one screen size";

  // The view goes to 2x, then full screen on a hardware overlay (no size).
  sink.SetScreenSize(640, 480);
  sink.ShowPicture(qcif.view);
  EXPECT_EQ(640480, next.resized.back()) << "the renderer follows before it draws";
  EXPECT_EQ(640480, next.shown_sizes.back());
  sink.SetScreenSize(0, 0);
  sink.ShowPicture(qcif.view);
  EXPECT_EQ(176144, next.resized.back());
  EXPECT_EQ(176144, next.shown_sizes.back());
  sink.SetScreenSize(333, 271);
  sink.ShowPicture(qcif.view);
  EXPECT_EQ(332270, next.shown_sizes.back()) << "I420 sizes stay even";
}

}  // namespace
}  // namespace app::view
