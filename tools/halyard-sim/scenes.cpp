#include "scenes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "scene_encoder.h"

namespace sim {
namespace {

constexpr double kPi = 3.14159265358979323846;

uint32_t Hash(uint32_t a, uint32_t b = 0, uint32_t c = 0) {
  uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ (c + 0x165667B1u) * 0xC2B2AE3Du;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}
double Unit(uint32_t h) { return (h & 0xFFFFFF) / double(0x1000000); }  // 0..1

// Standard normal values, drawn once; a picture reads them from a random start.
const std::vector<float>& NormalTable() {
  static const std::vector<float> table = [] {
    std::vector<float> t(1 << 17);
    for (size_t i = 0; i < t.size(); ++i) {
      const double u1 = (Unit(Hash(uint32_t(i), 1)) + 1e-7), u2 = Unit(Hash(uint32_t(i), 2));
      t[i] = float(std::sqrt(-2 * std::log(u1)) * std::cos(2 * kPi * u2));
    }
    return t;
  }();
  return table;
}

// Planes in floats: the luma plane holds reflectance (0..1) before the light
// is applied; `glow` light added after it (specks lit by a lamp); the
// chroma planes hold offsets from grey at half the size.
struct Canvas {
  int w = 0, h = 0;
  std::vector<float> luma, glow, u, v;
  Canvas(int width, int height)
      : w(width), h(height), luma(size_t(w) * h), glow(size_t(w) * h), u(size_t(w / 2) * (h / 2)), v(u.size()) {}

  void Span(int y, double x0, double x1, float value, float cu, float cv, bool add = false) {
    if (y < 0 || y >= h) return;
    const int a = std::max(0, int(std::ceil(x0 - 0.5))), b = std::min(w - 1, int(std::floor(x1 - 0.5)));
    float* row = (add ? glow.data() : luma.data()) + size_t(y) * w;
    for (int x = a; x <= b; ++x) row[x] = add ? row[x] + value : value;
    if (add || (y & 1)) return;
    for (int x = a & ~1; x <= b; x += 2) {
      const size_t c = size_t(y / 2) * (w / 2) + x / 2;
      if (x / 2 < w / 2) u[c] = cu, v[c] = cv;
    }
  }
  void Rect(double x0, double y0, double x1, double y1, float value, float cu = 0, float cv = 0) {
    for (int y = std::max(0, int(std::ceil(y0 - 0.5))); y <= std::min(h - 1, int(std::floor(y1 - 0.5))); ++y)
      Span(y, x0, x1, value, cu, cv);
  }
  void Ellipse(double cx, double cy, double rx, double ry, float value, float cu = 0, float cv = 0, bool add = false) {
    for (int y = std::max(0, int(cy - ry)); y <= std::min(h - 1, int(cy + ry) + 1); ++y) {
      const double dy = (y + 0.5 - cy) / ry;
      if (dy * dy >= 1) continue;
      const double dx = rx * std::sqrt(1 - dy * dy);
      Span(y, cx - dx, cx + dx, value, cu, cv, add);
    }
  }
  // A thick line from (x0, y0) to (x1, y1), as spans.
  void Line(double x0, double y0, double x1, double y1, double width, float value, float cu = 0, float cv = 0) {
    const double length = std::hypot(x1 - x0, y1 - y0);
    const int steps = std::max(1, int(length / std::max(1.0, width * 0.5)));
    for (int i = 0; i <= steps; ++i) {
      const double t = double(i) / steps;
      Ellipse(x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, width / 2, width / 2, value, cu, cv);
    }
  }
};

// The still yard every scene shows: a house wall with windows and a door,
// a lamp sign, a pole, a path over the ground; fixed fine texture. A second
// reflectance holds how it looks in infrared (plants and walls bright, glass dark).
struct Yard {
  Canvas day, infrared;
  Yard(int w, int h, uint32_t seed) : day(w, h), infrared(w, h) {
    const double sx = w / 640.0, sy = h / 480.0;
    auto both = [&](double x0, double y0, double x1, double y1, float d, float ir, float cu, float cv) {
      day.Rect(x0 * sx, y0 * sy, x1 * sx, y1 * sy, d, cu, cv);
      infrared.Rect(x0 * sx, y0 * sy, x1 * sx, y1 * sy, ir);
    };
    both(0, 0, 640, 200, 0.55f, 0.62f, 12, 18);     // wall
    both(0, 200, 640, 480, 0.42f, 0.70f, -10, -6);  // grass
    both(250, 200, 400, 480, 0.60f, 0.50f, 2, 4);   // path
    both(60, 50, 170, 140, 0.16f, 0.06f, 0, 0);     // windows
    both(470, 50, 580, 140, 0.16f, 0.06f, 0, 0);
    both(290, 70, 360, 200, 0.30f, 0.35f, 6, 14);   // door
    both(200, 30, 245, 55, 0.95f, 0.90f, 0, 0);     // a white sign
    both(600, 0, 614, 480, 0.22f, 0.30f, 0, 0);     // pole
    both(0, 195, 640, 203, 0.28f, 0.25f, 0, 0);     // the wall's foot
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const size_t i = size_t(y) * w + x;
        const float grain = float(Unit(Hash(seed, uint32_t(x), uint32_t(y))) - 0.5) * 0.08f;
        const float bricks = (y % std::max(2, int(12 * sy)) == 0 && y < 200 * sy) ? -0.05f : 0.0f;
        day.luma[i] += grain + bricks;
        infrared.luma[i] += grain * 1.5f + bricks;
      }
  }
};

enum class Kind { kLight, kExposure, kInfrared, kNightNoise, kRain, kSnow, kBranch, kWalkNear, kWalkFar, kCar, kSquare };

struct SceneSpec {
  const char* name;
  Kind kind;
  int seconds;
};
const SceneSpec kSpecs[] = {
    {"light", Kind::kLight, 120},     {"exposure", Kind::kExposure, 120}, {"infrared", Kind::kInfrared, 120},
    {"night-noise", Kind::kNightNoise, 120}, {"rain", Kind::kRain, 120}, {"snow", Kind::kSnow, 120},
    {"branch", Kind::kBranch, 120},   {"walk-near", Kind::kWalkNear, 120}, {"walk-far", Kind::kWalkFar, 120},
    {"car", Kind::kCar, 120},         {"square", Kind::kSquare, 120},
};

// Something crossing the picture at a steady pace.
struct Mover {
  Kind shape;
  double height = 0, width = 0;  // its size in pixels
  double centreY = 0;
  double speed = 0;              // pixels a millisecond, negative leftwards
  uint64_t enterMs = 0;          // its leading edge reaches the picture's border
  float value = 0.1f, cu = 0, cv = 0;
};

class MadeScene : public Scene {
 public:
  MadeScene(const SceneSpec& spec, int w, int h, uint32_t seed)
      : Scene(spec.name, w, h, spec.seconds), kind_(spec.kind), seed_(seed), yard_(w, h, seed), canvas_(w, h) {
    switch (kind_) {
      case Kind::kWalkNear: AddWalks(0.10, 0.55 * h, 8000, 0.08f); break;
      case Kind::kWalkFar: AddWalks(0.015, 0.62 * h, 15000, 0.75f); break;
      case Kind::kCar:
        for (int i = 0; i < 4; ++i) {
          Mover m{Kind::kCar, 0.24 * h, 0.5 * w, 0.66 * h, 0, 12000 + uint64_t(i) * 30000, i % 2 ? 0.72f : 0.1f, 0, 0};
          m.speed = (w + m.width) / 1500.0 * (i % 2 ? -1 : 1);
          Add(m);
        }
        break;
      case Kind::kSquare:
        for (int i = 0; i < 4; ++i) {
          // 2 % of the picture, as in the complaint about the old default.
          const double side = std::sqrt(0.02 * w * h);
          Mover m{Kind::kSquare, side, side, 0.4 * h, 0, 10000 + uint64_t(i) * 30000, 0.05f, 0, 0};
          m.speed = (w + side) / 4000.0 * (i % 2 ? -1 : 1);
          Add(m);
        }
        break;
      case Kind::kBranch: clutter_.push_back(BranchArea()); break;
      default: break;
    }
  }

  void Draw(int index, uint8_t* out) override {
    const uint64_t t = uint64_t(index) * 1000 / kFps;
    const bool ir = kind_ == Kind::kInfrared && (t / 30000) % 2 == 1;
    const Canvas& base = ir ? yard_.infrared : yard_.day;
    canvas_.luma = base.luma;
    canvas_.u = base.u;
    canvas_.v = base.v;
    std::fill(canvas_.glow.begin(), canvas_.glow.end(), 0.0f);
    for (const Mover& m : movers_) DrawMover(m, t);
    if (kind_ == Kind::kBranch) DrawBranch(canvas_, t);
    if (kind_ == Kind::kRain) DrawRain(index);
    if (kind_ == Kind::kSnow) DrawSnow(index);
    Expose(index, t, ir, out);
  }

 private:
  // Four crossings, one every 30 s from 10 s on, each way in turn, by a
  // person who covers `share` of the picture (measured on the drawn figure).
  void AddWalks(double share, double centreY, uint64_t crossMs, float value) {
    Mover m{Kind::kWalkNear, 100, 45, 50, 0.01, 0, 0.0f, 6, -4};
    Canvas probe(width_, height_);
    std::fill(probe.luma.begin(), probe.luma.end(), 1.0f);
    DrawPerson(probe, m, 80, 0);
    const double drawn = double(std::count_if(probe.luma.begin(), probe.luma.end(), [](float v) { return v < 0.5f; }));
    const double scale = std::sqrt(share * width_ * height_ / drawn);
    for (int i = 0; i < 4; ++i) {
      m = Mover{Kind::kWalkNear, 100 * scale, 45 * scale, centreY, 0, 10000 + uint64_t(i) * 30000, value, 6, -4};
      m.speed = (width_ + m.width) / double(crossMs) * (i % 2 ? -1 : 1);
      Add(m);
    }
  }

  void Add(const Mover& m) {
    movers_.push_back(m);
    const double crossMs = (width_ + m.width) / std::fabs(m.speed);
    visits_.push_back({m.enterMs, m.enterMs + uint64_t(crossMs)});
  }

  void DrawMover(const Mover& m, uint64_t t) {
    if (t < m.enterMs) return;
    const double travelled = std::fabs(m.speed) * double(t - m.enterMs);
    if (travelled > width_ + m.width) return;
    const double cx = m.speed > 0 ? travelled - m.width / 2 : width_ + m.width / 2 - travelled;
    const double cy = m.centreY, H = m.height, W = m.width;
    Canvas& c = canvas_;
    switch (m.shape) {
      case Kind::kSquare: c.Rect(cx - W / 2, cy - H / 2, cx + W / 2, cy + H / 2, m.value); break;
      case Kind::kCar: {
        const float glass = 0.06f;
        c.Rect(cx - W / 2, cy - H * 0.05, cx + W / 2, cy + H * 0.35, m.value, 10, -12);  // body
        c.Rect(cx - W * 0.28, cy - H / 2, cx + W * 0.22, cy - H * 0.05, m.value, 10, -12);  // cabin
        c.Rect(cx - W * 0.25, cy - H * 0.44, cx + W * 0.19, cy - H * 0.08, glass);
        c.Ellipse(cx - W * 0.3, cy + H * 0.35, H * 0.15, H * 0.15, 0.03f);  // wheels
        c.Ellipse(cx + W * 0.3, cy + H * 0.35, H * 0.15, H * 0.15, 0.03f);
        const double front = m.speed > 0 ? cx + W / 2 - H * 0.06 : cx - W / 2 + H * 0.06;
        c.Ellipse(front, cy + H * 0.08, H * 0.06, H * 0.05, 0.0f);
        c.Ellipse(front, cy + H * 0.08, H * 0.06, H * 0.05, 2.5f, 0, 0, true);  // headlight
        break;
      }
      default: DrawPerson(c, m, cx, travelled); break;
    }
  }

  // A person of m.height: head, body, arms and legs that swing as it walks.
  static void DrawPerson(Canvas& c, const Mover& m, double cx, double travelled) {
    const double H = m.height, cy = m.centreY;
    const double swing = std::sin(travelled / (0.35 * H) * kPi) * 0.35;
    const double hip = cy + H * 0.03, foot = cy + H * 0.47;
    c.Ellipse(cx, cy - H * 0.42, H * 0.065, H * 0.075, std::min(1.0f, m.value + 0.3f), 14, 10);
    c.Ellipse(cx, cy - H * 0.16, H * 0.13, H * 0.2, m.value, m.cu, m.cv);
    c.Line(cx - H * 0.04, hip, cx - H * 0.04 + (foot - hip) * swing, foot, H * 0.08, m.value * 0.8f);
    c.Line(cx + H * 0.04, hip, cx + H * 0.04 - (foot - hip) * swing, foot, H * 0.08, m.value * 0.8f);
    c.Line(cx - H * 0.12, cy - H * 0.3, cx - H * 0.12 - H * 0.3 * swing, cy + H * 0.02, H * 0.05, m.value);
    c.Line(cx + H * 0.12, cy - H * 0.3, cx + H * 0.12 + H * 0.3 * swing, cy + H * 0.02, H * 0.05, m.value);
  }

  // A branch hanging in from above the top right corner, swaying in gusts.
  void DrawBranch(Canvas& c, uint64_t t) const {
    const double s = width_ / 640.0, ts = double(t) / 1000.0;
    const double sway = 0.11 * std::sin(2 * kPi * ts / 2.3) + 0.05 * std::sin(2 * kPi * ts / 0.9 + 1.0) +
                        0.04 * std::sin(2 * kPi * ts / 7.0);
    DrawBranchAt(c, sway, s);
  }
  void DrawBranchAt(Canvas& c, double sway, double s) const {
    const double px = 655 * s, py = -20 * s, length = 250 * s;
    const double angle = kPi * 0.72 + sway;
    const float wood = 0.08f, leaf = 0.2f;
    const double ex = px + std::cos(angle) * length, ey = py + std::sin(angle) * length;
    c.Line(px, py, ex, ey, 9 * s, wood);
    for (int k = 1; k <= 3; ++k) {
      const double f = 0.3 + 0.22 * k, bx = px + (ex - px) * f, by = py + (ey - py) * f;
      const double a = angle + (k % 2 ? 0.7 : -0.6) + sway * 1.5, l = (70 - 12 * k) * s;
      const double tx = bx + std::cos(a) * l, ty = by + std::sin(a) * l;
      c.Line(bx, by, tx, ty, 5 * s, wood);
      for (int j = 0; j < 4; ++j)
        c.Ellipse(bx + (tx - bx) * (0.4 + 0.2 * j), by + (ty - by) * (0.4 + 0.2 * j) + 8 * s, 20 * s, 14 * s, leaf, -14, -10);
    }
    for (int j = 0; j < 5; ++j)
      c.Ellipse(px + (ex - px) * (0.5 + 0.12 * j), py + (ey - py) * (0.5 + 0.12 * j) + 9 * s, 24 * s, 16 * s, leaf, -14, -10);
  }
  // Every place the branch reaches over its sway, with a margin.
  Area BranchArea() {
    Canvas probe(width_, height_);
    std::fill(probe.luma.begin(), probe.luma.end(), 1.0f);
    for (double sway = -0.21; sway <= 0.21; sway += 0.01) DrawBranchAt(probe, sway, width_ / 640.0);
    int left = width_, bottom = 0;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x)
        if (probe.luma[size_t(y) * width_ + x] < 0.5f) left = std::min(left, x), bottom = std::max(bottom, y);
    return {std::max(0, left - width_ / 40) / double(width_), 0.0, 1.0,
            std::min(height_, bottom + height_ / 30) / double(height_)};
  }

  // Heavy rain: short streaks lit by a lamp, each seen in one picture only.
  void DrawRain(int index) {
    const double s = width_ / 640.0;
    const int count = int(1200 * s * s);
    for (int k = 0; k < count; ++k) {
      const uint32_t r = Hash(seed_, uint32_t(index), uint32_t(k));
      const double x = Unit(r) * width_, y = Unit(Hash(r, 1)) * height_, l = (6 + 10 * Unit(Hash(r, 2))) * s;
      const float bright = float(0.08 + 0.1 * Unit(Hash(r, 3)));
      for (int i = 0; i < int(l); ++i) canvas_.Span(int(y + i), x + i * 0.2, x + i * 0.2 + std::max(1.0, s), bright, 0, 0, true);
    }
  }

  // Snow: flakes that drift down for one to three seconds each.
  void DrawSnow(int index) {
    const double s = width_ / 640.0;
    const int perPicture = 12, life = 45;
    for (int born = std::max(0, index - life); born <= index; ++born)
      for (int k = 0; k < perPicture; ++k) {
        const uint32_t r = Hash(seed_ + 7, uint32_t(born), uint32_t(k));
        const int age = index - born;
        if (age > 15 + int(30 * Unit(Hash(r, 4)))) continue;
        const double fall = (2 + 4 * Unit(Hash(r, 1))) * s;
        const double x = Unit(r) * width_ + 6 * s * std::sin(age * 0.2 + k);
        const double y = Unit(Hash(r, 2)) * height_ * 0.7 + age * fall;
        const double radius = (1 + 1.5 * Unit(Hash(r, 3))) * s;
        canvas_.Ellipse(x, y, radius, radius, float(0.25 + 0.15 * Unit(Hash(r, 5))), 0, 0, true);
      }
  }

  // The light on the yard, the camera's exposure and its noise: reflectance to pixels.
  void Expose(int index, uint64_t t, bool ir, uint8_t* out) {
    double gain = 1, black = 8, noise = 2.5;
    const double ts = double(t) / 1000.0;
    switch (kind_) {
      case Kind::kLight: {  // every 24 s: up to double over 2 s, back over 2 s ten seconds later
        const double p = std::fmod(ts, 24.0);
        const double up = p < 10 ? 0 : p < 12 ? (p - 10) / 2 : p < 22 ? 1 : (24 - p) / 2;
        gain = 0.5 * (1 + up);
        break;
      }
      case Kind::kExposure: {  // the camera steps its exposure a quarter stop at a time
        static const int kSteps[] = {0, 1, 2, 3, 4, 3, 2, 1, 0, -1, -2, -3, -2, -1, 0, 2, 4, 2, 0, -2, 0};
        const int step = kSteps[int(ts / 2.5) % (sizeof kSteps / sizeof kSteps[0])];
        gain = 0.5 * std::pow(2.0, step / 4.0);
        break;
      }
      case Kind::kInfrared: {  // dusk in colour; in infrared the lamp overshoots and settles
        const double since = std::fmod(ts, 30.0);
        gain = ir ? 0.55 * (1 + 0.4 * std::exp(-since / 0.6)) : 0.3;
        noise = ir ? 5 : 3.5;
        break;
      }
      case Kind::kNightNoise: gain = 0.17, noise = 9; break;
      case Kind::kWalkNear:
      case Kind::kWalkFar: gain = 0.3, noise = 3.5; break;
      case Kind::kCar: gain = 0.35, noise = 3; break;
      case Kind::kSquare: gain = 0.6, noise = 4; break;
      default: gain = 0.5; break;
    }
    const std::vector<float>& normal = NormalTable();
    const size_t mask = normal.size() - 1;
    const float g = float(gain * 255), n = float(noise);
    for (int y = 0; y < height_; ++y) {
      const size_t start = Hash(seed_ + 3, uint32_t(index), uint32_t(y));
      const float* row = canvas_.luma.data() + size_t(y) * width_;
      const float* glow = canvas_.glow.data() + size_t(y) * width_;
      uint8_t* o = out + size_t(y) * width_;
      for (int x = 0; x < width_; ++x) {
        const float value = float(black) + g * row[x] + 255 * glow[x] + n * normal[(start + size_t(x)) & mask];
        o[x] = uint8_t(std::clamp(value, 0.0f, 255.0f) + 0.5f);
      }
    }
    const size_t chroma = size_t(width_ / 2) * (height_ / 2);
    const size_t startU = Hash(seed_ + 5, uint32_t(index)), startV = Hash(seed_ + 6, uint32_t(index));
    for (size_t i = 0; i < chroma; ++i) {
      const float nu = n * 0.5f * normal[(startU + i) & mask];
      const float nv = n * 0.5f * normal[(startV + i) & mask];
      const float su = ir ? 0 : canvas_.u[i] * float(gain * 2), sv = ir ? 0 : canvas_.v[i] * float(gain * 2);
      out[size_t(width_) * height_ + i] = uint8_t(std::clamp(128 + su + nu, 0.0f, 255.0f));
      out[size_t(width_) * height_ + chroma + i] = uint8_t(std::clamp(128 + sv + nv, 0.0f, 255.0f));
    }
  }

  Kind kind_;
  uint32_t seed_;
  Yard yard_;
  Canvas canvas_;
  std::vector<Mover> movers_;
};

}  // namespace

std::unique_ptr<Scene> Scene::Make(const std::string& name, int width, int height, uint32_t seed) {
  if (width < 32 || height < 32 || width % 16 || height % 16 || width > 1920 || height > 1088) return nullptr;
  for (const SceneSpec& spec : kSpecs)
    if (name == spec.name) return std::make_unique<MadeScene>(spec, width, height, seed);
  return nullptr;
}

std::vector<std::string> Scene::Names() {
  std::vector<std::string> names;
  for (const SceneSpec& spec : kSpecs) names.push_back(spec.name);
  return names;
}

VideoClip EncodeScene(Scene& scene, int quant) {
  VideoClip clip;
  SceneEncoder encoder(scene.width(), scene.height(), Scene::kFps, quant, Scene::kFps);
  if (!encoder.ok()) return clip;
  clip.config = encoder.config();
  clip.fps = Scene::kFps;
  clip.width = scene.width();
  clip.height = scene.height();
  std::vector<uint8_t> picture(size_t(scene.width()) * scene.height() * 3 / 2);
  for (int i = 0; i < scene.pictures(); ++i) {
    scene.Draw(i, picture.data());
    clip.pictures.push_back(encoder.Encode(picture.data()));
  }
  return clip;
}

bool IsSceneName(const std::string& video) { return video.rfind("scene-", 0) == 0; }

bool LoadScene(const std::string& video, VideoClip* clip, std::string* error) {
  // scene-NAME-WxH, where NAME may hold dashes itself.
  const size_t dash = video.rfind('-');
  const size_t x = video.find('x', dash == std::string::npos ? 0 : dash);
  std::unique_ptr<Scene> scene;
  if (IsSceneName(video) && dash > 6 && x != std::string::npos)
    scene = Scene::Make(video.substr(6, dash - 6), std::atoi(video.c_str() + dash + 1), std::atoi(video.c_str() + x + 1));
  if (!scene) {
    std::string names;
    for (const auto& n : Scene::Names()) names += (names.empty() ? "" : ", ") + n;
    *error = "unknown scene " + video + " (want scene-NAME-WIDTHxHEIGHT, NAME one of " + names + ")";
    return false;
  }
  *clip = EncodeScene(*scene);
  if (clip->empty()) return *error = "cannot code scene " + video, false;
  return true;
}

}  // namespace sim
