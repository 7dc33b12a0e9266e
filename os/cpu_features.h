#pragma once
// Which instruction sets the processor offers, for the code that picks its
// kernels at run time (the video decoder, the picture converters). Off x86
// every flag stays clear.
namespace os {

struct CpuFeatures {
  bool mmx = false;
  bool sse = false;
  bool sse2 = false;
  bool mmxExt = false;
  bool amd3dnow = false;
  bool amd3dnowExt = false;
};

CpuFeatures DetectCpuFeatures();

}  // namespace os
