#pragma once
// The "Recordings" window: what the cameras recorded, day by day, played
// back. On the left the cameras found under the recording folders and the
// days with their footage; on the right up to four cameras' pictures (a 2x2
// grid) following one playback clock, the timeline of the chosen day with
// their recorded spans, motion and events, the player's buttons and the
// export of a marked range. Modeless, opened from the main window's system
// and tray menus and from a view's menu ("Play Back...", at that camera's
// last minutes).
//
// Threads: the window's thread owns every control. The folders are read on
// a scan thread (CatalogScan), which posts kWmCatalog; the
// player's worker decodes and draws into the panes and posts kWmStatus
// (one at a time: status_posted_); the export runs on its own thread
// (RangeExportPanel's RangeExportJob).
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/recordings/catalog_scan.h"
#include "app/recordings/playback_pane.h"
#include "app/recordings/range_export_panel.h"
#include "app/recordings/recordings_resource.h"
#include "app/recordings/timeline_control.h"
#include "app/view/gdi_text_rasteriser.h"
#include "present/node_playback.h"
#include "node/playback/recording_player.h"
#include "os/win32/dialog.h"
#include "present/win32/win32_display.h"
#include "record/recordings_index.h"

namespace app::recordings {

struct RecordingsSources {
  std::vector<std::string> roots;  // recording folders, each ending in a separator
  std::string event_folder;        // the event log's daily files; empty: none
  present::SoundDevice* sound = nullptr;
  // The "Keep" marks of the recording plans' folder (null: none): kept
  // recordings are never deleted by retention. set_keep is false for a
  // recording outside that folder.
  std::function<bool(const std::string& path)> is_kept;
  std::function<bool(const std::string& path, bool keep)> set_keep;
};

class CRecordingsWindow : public win32::CDialogBase, private RangeExportOwner {
 public:
  static constexpr size_t kMaxCameras = record::PlaybackClock::kMaxCameras;
  static constexpr UINT kWmCatalog = WM_APP + 60;
  static constexpr UINT kWmStatus = WM_APP + 61;
  static constexpr UINT kWmExportProgress = WM_APP + 62;
  static constexpr UINT kWmExportDone = WM_APP + 63;
  // How far before the end of its recordings "Play Back..." starts a camera.
  static constexpr int64_t kLastMinutesMs = 2 * 60'000;

  explicit CRecordingsWindow(HINSTANCE instance);
  ~CRecordingsWindow() override;

  // Shows the window (creating it the first time) in front and reads the
  // folders again.
  void Show(HWND owner, RecordingsSources sources);
  // Shows it at the camera's last minutes, once the folders are read.
  // `names`: what the camera may be called in its recordings' names (a
  // view's name, its camera's id); the first found plays.
  void ShowCamera(HWND owner, RecordingsSources sources, const std::vector<std::string>& names);

  // What the user does, for the controls and the tests.
  void ChooseCameras(const std::vector<std::string>& cameras);
  void ChooseDay(int yyyymmdd);
  void Seek(int64_t wallMs);
  // A playback key: Space plays and pauses, Left/Right jump 5 s (with Ctrl
  // 60 s), Comma/Period step a picture, PageUp/PageDown go to the previous
  // and next motion, +/- change the speed. True when it was one.
  bool OnKey(UINT key);
  // Exports the marked range of each camera played into `folder` (ending
  // in a separator) under its own name.
  bool ExportTo(const std::string& folder);
  void CancelExport();
  // The recording the timeline's row `row` plays at `time` (empty in a gap).
  std::string RecordingAt(int row, int64_t time) const;
  // "Keep" on that recording, as its menu does: the mark turned over.
  void ToggleKeep(const std::string& path);

  // The state, for the tests.
  std::shared_ptr<const record::RecordingsCatalog> catalog() const override { return catalog_; }
  const std::vector<std::string>& cameras() const override { return chosen_; }
  int day() const { return day_; }
  node::PlayerStatus status() const { return player_ ? player_->Status() : node::PlayerStatus{}; }
  PlaybackPane* pane(size_t i) { return i < panes_.size() ? panes_[i].get() : nullptr; }
  TimelineControl* timeline() { return timeline_.get(); }
  bool exporting() const { return export_.Running(); }
  std::string status_text() const { return ItemText(IDC_REC_STATUS); }

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void OnOK() override {}
  void OnCancel() override { ShowWindow(hwnd(), SW_HIDE); }

 private:
  void Scan();
  void OnCatalog();
  void OnStatus();
  void FillCameras();
  void FillDays();
  void ShowDay();
  void Layout();
  void PlacePanes(const RECT& area);
  void SetSpeedIndex(int index);
  void Snapshot();
  void SetStatusText(const std::string& text) override;
  // The timeline's right click on a recording: "Keep", checked when it is kept.
  void ShowRecordingMenu();

  RecordingsSources sources_;
  std::vector<std::string> pending_names_;  // "Play Back..." waiting for the catalog
  present::Win32DisplaySystem display_;
  std::unique_ptr<view::GdiTextRasteriser> rasteriser_;
  std::vector<std::unique_ptr<PlaybackPane>> panes_;
  std::unique_ptr<TimelineControl> timeline_;
  present::NodePlayback sound_;
  std::unique_ptr<node::RecordingPlayer> player_;
  std::atomic<bool> status_posted_{false};
  RangeExportPanel export_;

  CatalogScan scan_;

  std::shared_ptr<const record::RecordingsCatalog> catalog_;
  std::vector<std::string> listed_;  // the cameras the list shows
  std::vector<std::string> chosen_;  // played, at most kMaxCameras
  std::vector<int> days_;            // the days the list shows
  int day_ = 0;
  int speed_index_ = 2;  // 1x
  int64_t last_second_shown_ = -1;
};

}  // namespace app::recordings
