// Prints what the motion detector makes of halyard-sim's made-up scenes: per
// scene, picture size and sensitivity, the events it starts and when. The
// pictures reach the detector as they reach a view: drawn, coded as a
// camera codes them, decoded and post-filtered by the node's own decoder.
// The goals: no event on the light, exposure, infrared, noise, rain and snow
// scenes at the default sensitivity; every walk and crossing found within
// 1 s of entering the picture; the branch silent once masked.
//   motion-table [--sizes 320x240,640x480] [--levels 3,5,7] [--scenes a,b]
//                [--min-size CELLS] [--min-duration MS] [--seconds S] [--dump S,...] [--trace S-S]
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "codec/video/video_decoder.h"
#include "node/media/motion_detector.h"
#include "scene_encoder.h"
#include "scenes.h"

namespace {

std::vector<std::string> Split(const std::string& text) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  std::string part;
  while (std::getline(in, part, ',')) parts.push_back(part);
  return parts;
}

struct Options {
  std::vector<std::pair<int, int>> sizes{{320, 240}, {640, 480}};
  std::vector<int> levels{3, node::MotionDetector::kDefaultSensitivity, 7};
  std::vector<std::string> scenes = sim::Scene::Names();
  int minCells = node::MotionDetector::kDefaultMinObjectCells;
  int minDurationMs = node::MotionDetector::kDefaultMinDurationMs;
  int seconds = 0;  // 0: the whole scene
  std::vector<double> dumps;  // --dump S,...: the pictures at those seconds as PGM files
  double traceFrom = -1, traceTo = -1;  // --trace S-S: each picture's cells, first detector
};

struct Reported {
  uint64_t atMs, startMs;
  double area;
};

// One detector over the scene: a sensitivity, masked or not.
struct Run {
  int level;
  bool masked;
  node::MotionDetector detector;
  std::vector<Reported> events;
};

node::MotionDetector::Mask MaskOf(const sim::Scene& scene) {
  using D = node::MotionDetector;
  D::Mask mask;
  for (const auto& a : scene.clutter())
    for (int r = 0; r < D::kRows; ++r)
      for (int c = 0; c < D::kColumns; ++c) {
        const double left = double(c) / D::kColumns, right = double(c + 1) / D::kColumns;
        const double top = double(r) / D::kRows, bottom = double(r + 1) / D::kRows;
        if (right > a.left && left < a.right && bottom > a.top && top < a.bottom) mask.set(size_t(r * D::kColumns + c));
      }
  return mask;
}

// Adds a word to a list of words.
void Append(std::string* list, const std::string& word) {
  if (!list->empty()) list->push_back(' ');
  list->append(word);
}

// "12.3" seconds, or "+12.3" with `sign`.
std::string Seconds(uint64_t ms, bool sign = false) {
  char text[32];
  std::snprintf(text, sizeof text, sign ? "+%.1f" : "%.1f", double(ms) / 1000.0);
  return text;
}

// The verdict on one run: quiet scenes must start nothing; scenes with
// visitors must report each within 1 s of its entering, and nothing else.
std::string Judge(const sim::Scene& scene, const Run& run, bool* met) {
  std::string text;
  if (scene.visits().empty()) {
    const bool quiet = run.events.empty() || (!scene.clutter().empty() && !run.masked);
    *met = quiet;
    if (!scene.clutter().empty() && !run.masked) return run.events.empty() ? "quiet (unmasked)" : "fires (unmasked; no goal)";
    return run.events.empty() ? "quiet: met" : "false events: MISSED";
  }
  int found = 0, late = 0;
  std::vector<bool> used(run.events.size());
  std::string delays;
  for (const auto& v : scene.visits()) {
    bool seen = false;
    for (size_t i = 0; i < run.events.size() && !seen; ++i)
      if (run.events[i].atMs >= v.enterMs && run.events[i].atMs <= v.leaveMs + 2000) {
        seen = used[i] = true;
        const uint64_t delay = run.events[i].atMs - v.enterMs;
        Append(&delays, Seconds(delay, true));
        ++found;
        if (delay > 1000) ++late;
      }
    if (!seen) Append(&delays, "missed");
  }
  int extra = 0;
  for (size_t i = 0; i < used.size(); ++i) extra += !used[i];
  *met = found == int(scene.visits().size()) && late == 0 && extra == 0;
  char summary[160];
  std::snprintf(summary, sizeof summary, "found %d/%zu, delays %s%s: %s", found, scene.visits().size(), delays.c_str(),
                extra ? (", " + std::to_string(extra) + " extra").c_str() : "", *met ? "met" : "MISSED");
  return summary;
}

// The luma plane as it reached the detector, for a look by eye.
void Dump(const std::string& name, int width, int height, double at, const uint8_t* luma) {
  char file[128];
  std::snprintf(file, sizeof file, "%s-%dx%d-%.1f.pgm", name.c_str(), width, height, at);
  if (FILE* f = std::fopen(file, "wb")) {
    std::fprintf(f, "P5\n%d %d\n255\n", width, height);
    std::fwrite(luma, 1, size_t(width) * height, f);
    std::fclose(f);
  }
}

// One picture as the detector saw it: cells over their threshold, cells in
// objects, and the cells themselves ('#' in an object, '+' changed, '.' quiet).
void Trace(const node::MotionDetector& d, uint64_t t) {
  using D = node::MotionDetector;
  std::printf("%8.3f s: changed %3zu, in objects %3zu, area %.4f%s%s\n", double(t) / 1000.0, d.ChangedCells().count(),
              d.ObjectCells().count(), d.ChangedArea(), d.SceneChanged() ? ", scene changed" : "",
              d.InMotion() ? ", in motion" : "");
  if (d.ChangedCells().none()) return;
  for (int r = 0; r < D::kRows; ++r) {
    char row[D::kColumns + 1] = {};
    for (int c = 0; c < D::kColumns; ++c) {
      const size_t i = size_t(r * D::kColumns + c);
      row[c] = d.ObjectCells()[i] ? '#' : d.ChangedCells()[i] ? '+' : '.';
    }
    std::printf("    %s\n", row);
  }
}

bool RunScene(const std::string& name, int width, int height, const Options& o) {
  std::unique_ptr<sim::Scene> scene = sim::Scene::Make(name, width, height);
  if (!scene) {
    std::fprintf(stderr, "motion-table: no scene %s at %dx%d\n", name.c_str(), width, height);
    return false;
  }
  std::vector<Run> runs;
  for (int level : o.levels)
    for (bool masked : {false, true}) {
      if (masked && scene->clutter().empty()) continue;
      runs.push_back(Run{level, masked, {}, {}});
      Run& r = runs.back();
      r.detector.SetSensitivity(level);
      r.detector.SetMinObjectCells(o.minCells);
      r.detector.SetMinDurationMs(o.minDurationMs);
      if (masked) r.detector.SetMask(MaskOf(*scene));
    }
  sim::SceneEncoder encoder(width, height, sim::Scene::kFps, 10, sim::Scene::kFps);
  codec::VideoDecoder decoder;
  decoder.SetPostFilter(true, true);  // as the node shows and watches its pictures
  decoder.Decode(encoder.config().data(), encoder.config().size());
  std::vector<uint8_t> drawn(size_t(width) * height * 3 / 2), shown(drawn.size());
  const codec::DecodedPicture out{shown.data(), width, height};
  int pictures = scene->pictures();
  if (o.seconds > 0) pictures = std::min(pictures, o.seconds * sim::Scene::kFps);
  for (int i = 0; i < pictures; ++i) {
    scene->Draw(i, drawn.data());
    const std::vector<uint8_t> unit = encoder.Encode(drawn.data());
    decoder.Decode(unit.data(), unit.size());
    if (decoder.ProducePicture(out) != 0) continue;
    const uint64_t t = uint64_t(i) * 1000 / sim::Scene::kFps;
    for (double at : o.dumps)
      if (i == int(at * sim::Scene::kFps)) Dump(name, width, height, at, shown.data());
    for (Run& r : runs)
      if (r.detector.Feed(shown.data(), width, height, width, t) == node::MotionDetector::Change::kStarted)
        r.events.push_back({t, r.detector.LastEvent().startMs, 0});
    if (double(t) >= o.traceFrom * 1000 && double(t) <= o.traceTo * 1000) Trace(runs[0].detector, t);
  }
  bool all = true;
  for (const Run& r : runs) {
    bool met = false;
    const std::string verdict = Judge(*scene, r, &met);
    const bool counts = r.level == node::MotionDetector::kDefaultSensitivity;
    if (counts) all = all && met;
    std::string starts;
    for (size_t k = 0; k < r.events.size() && k < 8; ++k) Append(&starts, Seconds(r.events[k].atMs));
    if (r.events.size() > 8) Append(&starts, "...");
    std::printf("%-12s %4dx%-4d %5d%s %6zu  %-44s %s\n", (name + (r.masked ? "+mask" : "")).c_str(), width, height,
                r.level, counts ? "*" : " ", r.events.size(), starts.empty() ? "-" : starts.c_str(), verdict.c_str());
  }
  std::fflush(stdout);
  return all;
}

bool ParseOptions(int argc, char** argv, Options* o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (i + 1 >= argc) return false;
    const std::string v = argv[++i];
    if (a == "--sizes") {
      o->sizes.clear();
      for (const auto& s : Split(v)) {
        int w = 0, h = 0;
        if (std::sscanf(s.c_str(), "%dx%d", &w, &h) != 2) return false;
        o->sizes.push_back({w, h});
      }
    } else if (a == "--levels") {
      o->levels.clear();
      for (const auto& s : Split(v)) o->levels.push_back(std::atoi(s.c_str()));
    } else if (a == "--scenes") {
      o->scenes = Split(v);
    } else if (a == "--min-size") {
      o->minCells = std::atoi(v.c_str());
    } else if (a == "--min-duration") {
      o->minDurationMs = std::atoi(v.c_str());
    } else if (a == "--dump") {
      for (const auto& s : Split(v)) o->dumps.push_back(std::atof(s.c_str()));
    } else if (a == "--trace") {
      if (std::sscanf(v.c_str(), "%lf-%lf", &o->traceFrom, &o->traceTo) != 2) return false;
    } else if (a == "--seconds") {
      o->seconds = std::atoi(v.c_str());
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseOptions(argc, argv, &o)) {
    std::fprintf(stderr,
                 "usage: motion-table [--sizes 320x240,640x480] [--levels 3,5,7] [--scenes NAME,...]\n"
                 "                    [--min-size CELLS] [--min-duration MS] [--seconds S] [--dump S,...] [--trace S-S]\n");
    return 2;
  }
  std::printf("min object %d cells, min duration %d ms; * the default sensitivity; times in seconds of the scene\n",
              o.minCells, o.minDurationMs);
  std::printf("%-12s %-9s %6s %6s  %-44s %s\n", "scene", "size", "level", "events", "reported at", "verdict");
  bool all = true;
  for (const auto& [w, h] : o.sizes)
    for (const auto& name : o.scenes) all = RunScene(name, w, h, o) && all;
  std::printf("goals at the default sensitivity: %s\n", all ? "met" : "missed");
  return 0;
}
