#pragma once
// Made-up camera scenes for measuring motion detection: what fires false
// events all night on real cameras (light switched on, the camera's
// exposure, its switch to infrared, sensor noise in the dark, rain, snow, a
// branch in the wind) and what must fire (people walking by in dim light,
// near and far, a car passing fast). Each is a few minutes at 15 pictures a
// second, drawn the same for the same name, size and seed.
//
// A camera serves one as its video when its video is named
// "scene-NAME-WIDTHxHEIGHT" (e.g. scene-walk-far-640x480).
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "media_source.h"

namespace sim {

class Scene {
 public:
  static constexpr int kFps = 15;

  // When an object enters and leaves the picture (ms from the scene's start).
  struct Visit {
    uint64_t enterMs = 0, leaveMs = 0;
  };
  // A rectangle of the picture in shares of its width and height.
  struct Area {
    double left = 0, top = 0, right = 0, bottom = 0;
  };

  virtual ~Scene() = default;
  // Null for an unknown name or a size that is not whole macroblocks.
  static std::unique_ptr<Scene> Make(const std::string& name, int width, int height, uint32_t seed = 1);
  static std::vector<std::string> Names();

  const std::string& name() const { return name_; }
  int width() const { return width_; }
  int height() const { return height_; }
  int pictures() const { return seconds_ * kFps; }
  // The objects that must start an event; empty for the scenes that must not.
  const std::vector<Visit>& visits() const { return visits_; }
  // Where the scene moves without anything to report (the branch): the part
  // a user masks. Empty for the other scenes.
  const std::vector<Area>& clutter() const { return clutter_; }

  // Picture `index` (0 .. pictures() - 1) as I420 into `i420` (width x height x 3/2 bytes).
  virtual void Draw(int index, uint8_t* i420) = 0;

 protected:
  Scene(std::string name, int width, int height, int seconds)
      : name_(std::move(name)), width_(width), height_(height), seconds_(seconds) {}

  std::string name_;
  int width_, height_, seconds_;
  std::vector<Visit> visits_;
  std::vector<Area> clutter_;
};

// Draws and codes the whole scene as a camera would send it.
VideoClip EncodeScene(Scene& scene, int quant = 10);
// "scene-NAME-WxH": makes and codes that scene. False (with a reason) for other names.
bool IsSceneName(const std::string& video);
bool LoadScene(const std::string& video, VideoClip* clip, std::string* error);

}  // namespace sim
