#include "node/media/picture_store.h"

#include <cstring>

#include "present/picture_sink.h"

namespace node {

PictureBuffer::PictureBuffer(int w, int h) : bytes(size_t(w) * size_t(h) * 3 / 2, 0), width(w), height(h) {
  // Grey until the first picture: mid-level luma, zero chroma.
  std::memset(bytes.data(), 128, size_t(w) * size_t(h));
}

codec::DecodedPicture PictureBuffer::View() {
  codec::DecodedPicture picture;
  picture.data = bytes.data();
  picture.width = width;
  picture.height = height;
  return picture;
}

void PictureStore::Replace(int width, int height) {
  // A new height alone also needs a new buffer: the decoder writes whole pictures.
  auto buffer = std::make_shared<PictureBuffer>(width, height);
  std::lock_guard<std::mutex> lock(lock_);
  picture_ = std::move(buffer);
}

std::shared_ptr<PictureBuffer> PictureStore::Current() const {
  std::lock_guard<std::mutex> lock(lock_);
  return picture_;
}

std::shared_ptr<PictureBuffer> PictureStore::Fill(const std::function<void(PictureBuffer&)>& fill) {
  std::lock_guard<std::mutex> lock(lock_);
  if (picture_) fill(*picture_);
  return picture_;
}

bool PictureStore::WithPicture(const std::function<void(const codec::DecodedPicture&)>& draw) const {
  std::lock_guard<std::mutex> lock(lock_);
  if (!picture_) return false;
  draw(picture_->View());
  return true;
}

bool PictureStore::SinkWantsPictures() const { return sink_ && sink_->WantsPictures(); }

void PictureStore::Show(PictureBuffer& picture) {
  if (picture.width != sink_width_ || picture.height != sink_height_) {
    sink_->Resize(picture.width, picture.height);
    sink_width_ = picture.width;
    sink_height_ = picture.height;
  }
  sink_->ShowPicture(picture.View());
}

}  // namespace node
