#include "app/view/view_recording.h"

#include <ctime>

#include "app/view/view_texts.h"
#include "os/file.h"
#include "os/local_time.h"
#include "present/picture_file.h"
#include "settings/message_format.h"
#include "settings/win32/ini_handler.h"

namespace app::view {
namespace {

std::string Timestamp() {
  const std::time_t now = std::time(nullptr);
  const std::tm local = os::LocalTime(now);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d_%H%M%S", &local);
  return text;
}

}  // namespace

std::string& LastRecordingFolder() {
  static std::string folder;
  return folder;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool ViewRecording::MaybeStartRequested(bool has_camera) {
  // The file's first unit describes its pictures: start once the camera has
  // identified itself and sent its video configuration.
  if (requested_started_ || request_.record_path.empty() || !has_camera) return false;
  if (!binding_.media()->path().HasConfiguration()) return false;
  requested_started_ = true;
  return binding_.media()->recorder().Start(request_.record_path) == 0;
}

void ViewRecording::Toggle() {
  node::NodeRecorder& recorder = binding_.media()->recorder();
  recorder.Toggle();
  if (recorder.IsRecording()) LastRecordingFolder() = FolderOf(recorder.Path());
}

// Told for ten minutes or until that recording starts again: a wall
// monitor's user may look only later.
std::string ViewRecording::FailureText(uint64_t now_ms) {
  constexpr uint64_t kShownMs = 10 * 60 * 1000;
  const node::RecordingFailureReport failure = binding_.media()->LastRecordingFailure();
  if (failure.serial != failure_serial_) {
    failure_serial_ = failure.serial;
    const settings::TextId& id = failure.kind == node::RecordingFailure::kWriteFailed    ? kRecordWriteFail
                                 : failure.kind == node::RecordingFailure::kInUse        ? kRecordInUse
                                 : failure.kind == node::RecordingFailure::kFinishFailed ? kRecordFinishFail
                                                                                         : kRecordCreateFail;
    failure_ = settings::FormatUserMessage(settings::IniHandler::Instance().GetString(id), {failure.path});
    failure_until_ms_ = now_ms + kShownMs;
  }
  // A file that could not be finished is told even while the recording goes on in the next.
  const node::NodeRecorder& recorder =
      failure.motion ? binding_.media()->motion_recorder().recorder() : binding_.media()->recorder();
  const bool again = recorder.IsRecording() && failure.kind != node::RecordingFailure::kFinishFailed;
  if (again || now_ms >= failure_until_ms_) failure_.clear();
  return failure_;
}

void ViewRecording::TakeSnapshot(HWND owner, const std::string& display_name, std::vector<uint8_t> picture,
                                 int width, int height) {
  if (picture.empty()) {
    MessageBeep(MB_ICONWARNING);
    return;
  }
  const std::string name = os::SafeFileName(display_name, "camera") + "_" + Timestamp() + ".png";
  std::string path;
  if (!chooser_.ChooseSnapshot(owner, LastRecordingFolder(), name, &path)) return;
  const codec::DecodedPicture shown{picture.data(), width, height};
  const std::vector<uint8_t> file = present::PictureFormatFor(path) == present::PictureFormat::kBmp
                                        ? present::EncodeBmp(shown)
                                        : present::EncodePng(shown);
  if (!os::WriteWholeFile(path, file.data(), file.size()))
    settings::IniHandler::Instance().ShowMessage(kSnapshotWriteFail, {path});
}

}  // namespace app::view
