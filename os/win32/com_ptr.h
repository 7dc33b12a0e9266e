#pragma once
// Owner of one COM interface pointer (DirectDraw, DirectSound): released on
// destruction or reset; not copyable.
#include <utility>

namespace win32 {

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  explicit ComPtr(T* p) : p_(p) {}
  ~ComPtr() { Reset(); }
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& o) noexcept {
    if (this != &o) {
      Reset();
      p_ = std::exchange(o.p_, nullptr);
    }
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For functions that hand out a new reference through T**: releases the old one first.
  T** Put() {
    Reset();
    return &p_;
  }
  void Reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }

 private:
  T* p_ = nullptr;
};

}  // namespace win32
