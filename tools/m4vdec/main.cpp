// m4vdec: decodes an MPEG-4 Visual (ISO/IEC 14496-2) or H.263 elementary stream to raw I420.
//
//   m4vdec [--size WxH] [--postfilter] IN OUT.yuv   one frame per picture unit
//   m4vdec [--postfilter] --bench IN                prints "fps N" last
//   --plain uses the portable kernels instead of the processor's best set
//   m4vdec --compare A.yuv B.yuv WxH                per-frame PSNR of B against A
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "codec/video/video_decoder.h"
#include "os/file.h"
#include "tools/m4vdec/unit_splitter.h"

namespace {

bool ParseSize(const char* s, int* w, int* h) { return std::sscanf(s, "%dx%d", w, h) == 2 && *w > 0 && *h > 0; }

int Usage() {
  std::fprintf(stderr,
               "usage: m4vdec [--size WxH] [--postfilter] [--plain] IN OUT.yuv\n"
               "       m4vdec [--size WxH] [--postfilter] --bench IN\n"
               "       m4vdec --compare REF.yuv TEST.yuv WxH\n");
  return 2;
}

// Sets the configured size: --size, else the H.263 source format, else QCIF.
void Configure(codec::VideoDecoder& dec, const std::vector<uint8_t>& data, bool shortHeader, int w, int h) {
  if (w == 0 && shortHeader) ShortHeaderSize(data.data(), data.size(), &w, &h);
  if (w == 0) w = 176, h = 144;
  dec.SetSize(w, h);
}

codec::VideoDecoder::KernelChoice g_kernels = codec::VideoDecoder::KernelChoice::Detect;

int Decode(const char* in, const char* out, int w, int h, bool postfilter, bool verbose) {
  std::vector<uint8_t> data;
  if (!os::ReadWholeFile(in, &data)) {
    std::fprintf(stderr, "m4vdec: cannot read %s\n", in);
    return 1;
  }
  bool shortHeader = false;
  std::vector<StreamUnit> units = SplitUnits(data.data(), data.size(), &shortHeader);
  FILE* f = std::fopen(out, "wb");
  if (!f) {
    std::fprintf(stderr, "m4vdec: cannot write %s\n", out);
    return 1;
  }
  codec::VideoDecoder dec(g_kernels);
  Configure(dec, data, shortHeader, w, h);
  dec.SetPostFilter(postfilter, postfilter);
  std::vector<uint8_t> frame;
  int frames = 0;
  for (const StreamUnit& u : units) {
    int result = dec.Decode(data.data() + u.offset, u.length);
    if (verbose)
      std::fprintf(stderr, "unit at %zu length %zu%s: result %d status %d\n", u.offset, u.length,
                   u.config ? " (config)" : "", result, int(dec.LastStatus()));
    if (u.config) continue;
    codec::DecodedPicture pic;
    pic.width = dec.Width();
    pic.height = dec.Height();
    frame.resize(pic.Size());
    pic.data = frame.data();
    if (dec.ProducePicture(pic) != 0) std::memset(frame.data(), 0, frame.size());
    std::fwrite(frame.data(), 1, frame.size(), f);
    ++frames;
  }
  std::fclose(f);
  std::fprintf(stderr, "m4vdec: %d frames %dx%d\n", frames, dec.Width(), dec.Height());
  return 0;
}

int Bench(const char* in, int w, int h, bool postfilter) {
  std::vector<uint8_t> data;
  if (!os::ReadWholeFile(in, &data)) return 1;
  bool shortHeader = false;
  std::vector<StreamUnit> units = SplitUnits(data.data(), data.size(), &shortHeader);
  codec::VideoDecoder dec(g_kernels);
  dec.SetPostFilter(postfilter, postfilter);
  long long frames = 0;
  auto start = std::chrono::steady_clock::now();
  double seconds = 0;
  do {
    Configure(dec, data, shortHeader, w, h);
    for (const StreamUnit& u : units) {
      dec.Decode(data.data() + u.offset, u.length);
      if (u.config) continue;
      if (postfilter) dec.ProducePicture();
      ++frames;
    }
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  } while (seconds < 3.0);
  std::printf("frames %lld seconds %.3f\n", frames, seconds);
  std::printf("fps %.1f\n", static_cast<double>(frames) / seconds);
  return 0;
}

int Compare(const char* a, const char* b, const char* size) {
  int w, h;
  std::vector<uint8_t> ra, rb;
  if (!ParseSize(size, &w, &h) || !os::ReadWholeFile(a, &ra) || !os::ReadWholeFile(b, &rb)) return Usage();
  const size_t frame = size_t(w) * h * 3 / 2;
  size_t na = ra.size() / frame, nb = rb.size() / frame;
  std::printf("frames %zu %zu\n", na, nb);
  double sum = 0, worst = 1e9;
  size_t n = na < nb ? na : nb;
  for (size_t k = 0; k < n; ++k) {
    double se = 0;
    for (size_t i = 0; i < frame; ++i) {
      double d = double(ra[k * frame + i]) - double(rb[k * frame + i]);
      se += d * d;
    }
    double psnr = se == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 * frame / se);
    if (psnr > 99.0) psnr = 99.0;
    sum += psnr;
    worst = psnr < worst ? psnr : worst;
    std::printf("frame %zu psnr %.2f\n", k, psnr);
  }
  std::printf("average %.2f worst %.2f\n", n ? sum / n : 0.0, n ? worst : 0.0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int w = 0, h = 0;
  bool postfilter = false, bench = false, verbose = false;
  std::vector<const char*> files;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--size" && i + 1 < argc) {
      if (!ParseSize(argv[++i], &w, &h)) return Usage();
    } else if (a == "--postfilter") {
      postfilter = true;
    } else if (a == "--plain") {
      g_kernels = codec::VideoDecoder::KernelChoice::Plain;
    } else if (a == "--verbose") {
      verbose = true;
    } else if (a == "--bench") {
      bench = true;
    } else if (a == "--compare") {
      if (i + 3 >= argc) return Usage();
      return Compare(argv[i + 1], argv[i + 2], argv[i + 3]);
    } else {
      files.push_back(argv[i]);
    }
  }
  if (bench) return files.size() == 1 ? Bench(files[0], w, h, postfilter) : Usage();
  if (files.size() != 2) return Usage();
  return Decode(files[0], files[1], w, h, postfilter, verbose);
}
