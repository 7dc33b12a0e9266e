#include "app/server_tree.h"

#include <algorithm>

#include "app/resource.h"
#include "dialogs/server_info_dialog.h"
#include "dialogs/server_info_rules.h"
#include "os/win32/message_box.h"
#include "os/win32/text.h"
#include "settings/ini_handler.h"

namespace app {
namespace {

using settings::IniHandler;
namespace text = settings::text;

constexpr COLORREF kGroupColour = 0xFF0000;  // blue, as a COLORREF is 0x00BBGGRR
constexpr char kNewGroupName[] = "new1";

constexpr int kImageIcons[kImageCount] = {IDI_FOLDER_CLOSED, IDI_FOLDER_OPEN,   IDI_HOST_OFFLINE,  IDI_HOST_ONLINE,
                                          IDI_CAMERA_OFFLINE, IDI_CAMERA_ONLINE, IDI_CAMERA_ALARM};

}  // namespace

CServerTree::~CServerTree() {
  // A tree view leaves its image list to whoever made it.
  if (images_) ImageList_Destroy(images_);
}

void CServerTree::Attach(HWND tree, HWND owner_window, HINSTANCE instance, ServerTreeOwner* owner) {
  tree_ = tree;
  owner_window_ = owner_window;
  instance_ = instance;
  owner_ = owner;
  images_ = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, kImageCount, 0);
  for (int id : kImageIcons) {
    HICON icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, 0));
    ImageList_AddIcon(images_, icon);
    if (icon) DestroyIcon(icon);
  }
  TreeView_SetImageList(tree_, images_, TVSIL_NORMAL);
}

void CServerTree::Load(const std::string& program_dir) {
  store_.SetPath(program_dir + settings::kServerListFile);
  for (const std::string& group : store_.GetGroups()) {
    Entry g;
    g.level = 1;
    g.group = group;
    HTREEITEM item = Insert(TVI_ROOT, g);
    for (const settings::ServerRecord& server : store_.GetServers(group)) {
      Entry s;
      s.level = 2;
      s.server = server;
      Insert(item, s);
    }
    Expand(item);
  }
}

// ---- nodes ----------------------------------------------------------------

HTREEITEM CServerTree::Insert(HTREEITEM parent, Entry entry) {
  TVINSERTSTRUCTW insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_STATE;
  insert.item.pszText = const_cast<wchar_t*>(L"");
  insert.item.state = entry.level == 1 ? TVIS_BOLD : 0;
  insert.item.stateMask = TVIS_BOLD;
  HTREEITEM item = TreeView_InsertItem(tree_, &insert);
  if (!item) return nullptr;
  entries_[item] = std::move(entry);
  Refresh(item);
  return item;
}

void CServerTree::Refresh(HTREEITEM item) {
  auto it = entries_.find(item);
  if (it == entries_.end()) return;
  const Entry& e = it->second;
  IniHandler& ini = IniHandler::Instance();
  std::string label;
  int image = kImageFolderClosed;
  switch (e.level) {
    case 1: {
      label = e.group;
      const bool expanded = (TreeView_GetItemState(tree_, item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
      image = expanded ? kImageFolderOpen : kImageFolderClosed;
      break;
    }
    case 2: {
      const bool online = e.key != kNoKey;
      label = e.server.name + " " +
              ini.GetString(e.reconnecting ? text::kWordReconnecting : online ? text::kWordOnline : text::kWordOffline);
      if (e.server.IsCamera())
        image = e.alarm ? kImageCameraAlarm : online ? kImageCameraOnline : kImageCameraOffline;
      else
        image = online ? kImageHostOnline : kImageHostOffline;
      break;
    }
    default:
      label = e.camera.camera_id;
      if (e.view_open) label += " " + ini.GetString(text::kWordOnline);
      image = e.alarm ? kImageCameraAlarm : e.view_open ? kImageCameraOnline : kImageCameraOffline;
      break;
  }
  std::wstring wide = win32::Widen(label);
  TVITEMW tv{};
  tv.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  tv.hItem = item;
  tv.pszText = wide.data();
  tv.iImage = tv.iSelectedImage = image;
  TreeView_SetItem(tree_, &tv);
}

void CServerTree::Expand(HTREEITEM item) {
  TreeView_Expand(tree_, item, TVE_EXPAND);
  Refresh(item);
}

std::vector<HTREEITEM> CServerTree::Children(HTREEITEM parent) const {
  std::vector<HTREEITEM> out;
  for (HTREEITEM c = parent ? TreeView_GetChild(tree_, parent) : TreeView_GetRoot(tree_); c;
       c = TreeView_GetNextSibling(tree_, c))
    out.push_back(c);
  return out;
}

void CServerTree::DeleteChildren(HTREEITEM item) {
  for (HTREEITEM child : Children(item)) {
    DeleteChildren(child);
    entries_.erase(child);
    TreeView_DeleteItem(tree_, child);
  }
}

int CServerTree::Level(HTREEITEM item) const {
  if (!item) return 0;
  int level = 1;
  for (HTREEITEM p = TreeView_GetParent(tree_, item); p; p = TreeView_GetParent(tree_, p)) ++level;
  return level;
}

HTREEITEM CServerTree::Selected() const { return TreeView_GetSelection(tree_); }

void CServerTree::Select(HTREEITEM item) { TreeView_SelectItem(tree_, item); }

const CServerTree::Entry* CServerTree::EntryOf(HTREEITEM item) const {
  auto it = entries_.find(item);
  return it == entries_.end() ? nullptr : &it->second;
}

std::string CServerTree::Text(HTREEITEM item) const {
  wchar_t buf[512] = {};
  TVITEMW tv{};
  tv.mask = TVIF_TEXT;
  tv.hItem = item;
  tv.pszText = buf;
  tv.cchTextMax = 512;
  TreeView_GetItem(tree_, &tv);
  return win32::Narrow(buf);
}

std::vector<HTREEITEM> CServerTree::AllServers() const {
  std::vector<HTREEITEM> out;
  for (HTREEITEM group : Children(nullptr))
    for (HTREEITEM server : Children(group)) out.push_back(server);
  return out;
}

HTREEITEM CServerTree::ServerWhere(const std::function<bool(const Entry&)>& match) const {
  for (HTREEITEM server : AllServers()) {
    const Entry* e = EntryOf(server);
    if (e && match(*e)) return server;
  }
  return nullptr;
}

HTREEITEM CServerTree::FindServer(const std::string& name) const {
  return ServerWhere([&](const Entry& e) { return e.server.name == name; });
}

HTREEITEM CServerTree::FindServerByKey(ConnectionKey key) const {
  if (key == kNoKey) return nullptr;
  return ServerWhere([&](const Entry& e) { return e.key == key; });
}

HTREEITEM CServerTree::FindCamera(const std::string& camera_id) const {
  for (HTREEITEM server : AllServers())
    for (HTREEITEM camera : Children(server)) {
      const Entry* e = EntryOf(camera);
      if (e && e->camera.camera_id == camera_id) return camera;
    }
  return nullptr;
}

std::string CServerTree::GroupOf(HTREEITEM server) const {
  const Entry* e = EntryOf(TreeView_GetParent(tree_, server));
  return e ? e->group : std::string();
}

bool CServerTree::IsHostGroup(HTREEITEM group) const { return group && group == TreeView_GetRoot(tree_); }

std::vector<ConnectionKey> CServerTree::OnlineCameraServerKeys() const {
  std::vector<ConnectionKey> keys;
  for (HTREEITEM server : AllServers()) {
    const Entry* e = EntryOf(server);
    if (e && e->server.IsCamera() && e->key != kNoKey) keys.push_back(e->key);
  }
  return keys;
}

std::vector<std::string> CServerTree::CameraIds(ConnectionKey key) const {
  std::vector<std::string> ids;
  if (HTREEITEM server = FindServerByKey(key))
    for (HTREEITEM camera : Children(server))
      if (const Entry* e = EntryOf(camera)) ids.push_back(e->camera.camera_id);
  return ids;
}

// ---- events ---------------------------------------------------------------

void CServerTree::SetOnline(HTREEITEM server, ConnectionKey key) {
  if (!server) return;
  entries_[server].key = key;
  Refresh(server);
}

void CServerTree::SetHostOnline(const std::string& address, int port, ConnectionKey key) {
  auto matches = [&](const Entry& e) { return e.level == 2 && e.server.ip == address && e.server.port == port; };
  HTREEITEM selected = Selected();
  const Entry* s = EntryOf(selected);
  SetOnline(s && matches(*s) ? selected : ServerWhere(matches), key);
}

void CServerTree::SetHostReconnecting(const std::string& address, int port, bool reconnecting) {
  HTREEITEM server =
      ServerWhere([&](const Entry& e) { return e.level == 2 && e.server.ip == address && e.server.port == port; });
  if (!server || entries_[server].reconnecting == reconnecting) return;
  entries_[server].reconnecting = reconnecting;
  Refresh(server);
}

void CServerTree::SetServerOffline(ConnectionKey key) {
  HTREEITEM server = FindServerByKey(key);
  if (!server) return;
  Entry& e = entries_[server];
  e.key = kNoKey;
  e.alarm = false;
  DeleteChildren(server);
  Refresh(server);
}

void CServerTree::SetCameraServerOnline(const std::string& name, const std::string& text, int match_mode,
                                        ConnectionKey key) {
  HTREEITEM named = name.empty() ? nullptr : FindServer(name);
  if (named) {
    SetOnline(named, key);
    return;
  }
  // Only camera entries: a hosting server on the same address is not the camera.
  auto matches = [&](const Entry& e) {
    return e.level == 2 && e.server.IsCamera() && (match_mode == 1 ? e.server.mac : e.server.ip) == text;
  };
  HTREEITEM selected = Selected();
  const Entry* s = EntryOf(selected);
  SetOnline(s && matches(*s) ? selected : ServerWhere(matches), key);
}

void CServerTree::AddCamera(ConnectionKey key, const net::CameraRecord& camera) {
  HTREEITEM server = FindServerByKey(key);
  if (!server) return;
  for (HTREEITEM c : Children(server))
    if (const Entry* e = EntryOf(c); e && e->camera.camera_id == camera.camera_id) return;
  Entry e;
  e.level = 3;
  e.camera = camera;
  Insert(server, e);
}

void CServerTree::AddCameras(ConnectionKey key, const std::vector<net::CameraRecord>& cameras) {
  HTREEITEM server = FindServerByKey(key);
  if (!server) return;
  for (const net::CameraRecord& camera : cameras) AddCamera(key, camera);
  Expand(server);
}

void CServerTree::RemoveCamera(const std::string& camera_id) {
  if (HTREEITEM camera = FindCamera(camera_id)) {
    entries_.erase(camera);
    TreeView_DeleteItem(tree_, camera);
  }
}

void CServerTree::SetCameraOnline(const std::string& camera_id) {
  if (HTREEITEM camera = FindCamera(camera_id)) {
    entries_[camera].view_open = true;
    Refresh(camera);
  }
}

void CServerTree::SetCameraOffline(const std::string& camera_id) {
  if (HTREEITEM camera = FindCamera(camera_id)) {
    entries_[camera].view_open = false;
    entries_[camera].alarm = false;
    Refresh(camera);
  }
}

void CServerTree::SetCameraInfo(ConnectionKey key, const std::string& info) {
  if (HTREEITEM server = FindServerByKey(key)) entries_[server].info = info;
}

void CServerTree::SetAlarms(const std::vector<std::string>& camera_ids, const std::vector<ConnectionKey>& keys) {
  for (auto& [item, e] : entries_) {
    bool alarm = false;
    if (e.level == 3) alarm = std::find(camera_ids.begin(), camera_ids.end(), e.camera.camera_id) != camera_ids.end();
    if (e.level == 2 && e.key != kNoKey) alarm = std::find(keys.begin(), keys.end(), e.key) != keys.end();
    if (alarm == e.alarm) continue;
    e.alarm = alarm;
    Refresh(item);
  }
}

// ---- menus and commands ---------------------------------------------------

HMENU CServerTree::BuildMenu(HTREEITEM item) const {
  const Entry* e = EntryOf(item);
  if (!e || e->level == 3) return nullptr;
  IniHandler& ini = IniHandler::Instance();
  HMENU menu = CreatePopupMenu();
  auto add = [&](int id, const settings::TextId& label, bool grey) {
    AppendMenuW(menu, MF_STRING | (grey ? MF_GRAYED : 0), static_cast<UINT_PTR>(id),
                win32::Widen(ini.GetString(label)).c_str());
  };
  if (e->level == 1) {
    const bool host_group = IsHostGroup(item);
    add(kCmdRegisterGroup, text::kGroupMenuRegister, false);
    add(kCmdModifyGroup, text::kGroupMenuModify, host_group);
    add(kCmdDeleteGroup, text::kGroupMenuDelete, host_group);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    add(kCmdRegisterServer, text::kGroupMenuRegisterServer, false);
  } else {
    const bool online = e->key != kNoKey;
    add(kCmdModifyServer, text::kServerMenuModify, false);
    add(kCmdDeleteServer, text::kServerMenuDelete, false);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    add(kCmdConnect, text::kServerMenuConnect, online);
    if (!e->server.IsCamera()) add(kCmdCloseHost, text::kServerMenuClose, !online);
  }
  return menu;
}

void CServerTree::ShowMenu(HTREEITEM item) {
  HMENU menu = BuildMenu(item);
  if (!menu) return;
  POINT p;
  GetCursorPos(&p);
  const int command = static_cast<int>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, p.x, p.y, 0, owner_window_, nullptr));
  DestroyMenu(menu);
  if (command) OnMenuCommand(command);
}

void CServerTree::OnMenuCommand(int command) {
  HTREEITEM item = Selected();
  const int level = Level(item);
  switch (command) {
    case kCmdRegisterGroup:
      RegisterGroup();
      break;
    case kCmdModifyGroup:
      if (level == 1 && !IsHostGroup(item)) ModifyGroup(item);
      break;
    case kCmdDeleteGroup:
      if (level == 1) DeleteGroup(item);
      break;
    case kCmdRegisterServer:
      if (level == 1) RegisterServer(item);
      break;
    case kCmdModifyServer:
      if (level == 2) ModifyServer(item);
      break;
    case kCmdDeleteServer:
      if (level == 2) DeleteServer(item);
      break;
    case kCmdConnect:
      if (owner_) owner_->ConnectSelected();
      break;
    case kCmdCloseHost:
      if (owner_) owner_->CloseHostServer();
      break;
    default:
      break;
  }
}

void CServerTree::RegisterGroup() {
  Entry g;
  g.level = 1;
  g.group = kNewGroupName;
  HTREEITEM item = Insert(TVI_ROOT, g);
  editing_new_ = true;
  StartEditing(item, "");
}

void CServerTree::ModifyGroup(HTREEITEM group) {
  editing_new_ = false;
  StartEditing(group, "");
}

void CServerTree::StartEditing(HTREEITEM item, const std::string& offered) {
  editing_ = item;
  HWND edit = TreeView_EditLabel(tree_, item);
  if (edit && !offered.empty()) {
    SetWindowTextW(edit, win32::Widen(offered).c_str());
    SendMessageW(edit, EM_SETSEL, 0, -1);
  }
}

void CServerTree::EditAgain() {
  edit_again_pending_ = false;
  if (editing_ && entries_.count(editing_)) StartEditing(editing_, edit_again_text_);
}

bool CServerTree::OnBeginLabelEdit(const NMTVDISPINFOW& info) {
  // Only groups, and only through their menu: a click on a selected server never renames it.
  return info.item.hItem == editing_;
}

void CServerTree::OnEndLabelEdit(const NMTVDISPINFOW& info) {
  HTREEITEM item = info.item.hItem;
  // Closing an editor can report its end twice (the editor loses the focus
  // while it is taken down); the first report decides.
  if (item != editing_ || !entries_.count(item) || edit_again_pending_) return;
  if (!info.item.pszText) {
    // Cancelled: a new group that was never stored goes; a rename leaves the name.
    if (editing_new_) {
      entries_.erase(item);
      TreeView_DeleteItem(tree_, item);
    }
    editing_ = nullptr;
    return;
  }
  const std::string typed = win32::Narrow(info.item.pszText);
  Entry& e = entries_[item];
  bool stored = true;
  const bool storable = dialogs::IsStorableListName(typed);
  if (typed.empty() || !storable) {
    stored = false;
  } else if (editing_new_) {
    stored = store_.AddGroup(typed);
  } else if (typed != e.group) {
    stored = store_.RenameGroup(e.group, typed);
  }
  if (!stored) {
    if (!storable)
      IniHandler::Instance().ShowMessage(text::kTreeErrorInvalidGroupName);
    else if (!typed.empty())
      IniHandler::Instance().ShowMessage(text::kTreeErrorGroupAlreadyExist, {typed});
    edit_again_text_ = typed;
    // The editor cannot reopen while it is still closing.
    edit_again_pending_ = true;
    PostMessageW(owner_window_, kWmEditAgain, 0, 0);
    return;
  }
  e.group = typed;
  editing_ = nullptr;
  editing_new_ = false;
  Refresh(item);
}

void CServerTree::DeleteGroup(HTREEITEM group) {
  IniHandler& ini = IniHandler::Instance();
  if (IsHostGroup(group)) {
    ini.ShowMessage(text::kTreeErrorDeleteServerGroup);
    return;
  }
  if (!Children(group).empty()) {
    ini.ShowMessage(text::kTreeErrorDeleteGroupNotEmpty);
    return;
  }
  store_.DeleteGroup(entries_[group].group);
  entries_.erase(group);
  TreeView_DeleteItem(tree_, group);
}

void CServerTree::RegisterServer(HTREEITEM group) {
  settings::ServerRecord record;
  record.type = IsHostGroup(group) ? settings::kHostServerType : settings::kCameraServerType;
  dialogs::ServerInfoDialog dialog(instance_, dialogs::ServerInfoDialog::Mode::kRegister, record,
                                   [this](const std::string& name) { return store_.Exists(name); });
  if (dialog.DoModal(owner_window_) != IDOK) return;
  store_.AddServer(entries_[group].group, dialog.record());
  Entry s;
  s.level = 2;
  s.server = dialog.record();
  Insert(group, s);
  Expand(group);
}

void CServerTree::ModifyServer(HTREEITEM server) {
  const settings::ServerRecord old = entries_[server].server;
  dialogs::ServerInfoDialog dialog(instance_, dialogs::ServerInfoDialog::Mode::kModify, old,
                                   [this](const std::string& name) { return store_.Exists(name); });
  if (dialog.DoModal(owner_window_) != IDOK) return;
  store_.ModifyServer(GroupOf(server), old.name, dialog.record());
  entries_[server].server = dialog.record();
  Refresh(server);
}

void CServerTree::DeleteServer(HTREEITEM server) {
  const std::string question = IniHandler::Instance().GetText(text::kTreeMessageDeleteConfirm);
  if (win32::ShowMessageBox(owner_window_, question, "Halyard", MB_YESNO) != IDYES) return;
  store_.DeleteServer(GroupOf(server), entries_[server].server.name);
  DeleteChildren(server);
  entries_.erase(server);
  TreeView_DeleteItem(tree_, server);
}

// ---- notifications --------------------------------------------------------

void CServerTree::Click(HTREEITEM item) {
  if (Level(item) == 1 || Level(item) == 2) {
    TreeView_Expand(tree_, item, TVE_TOGGLE);
    Refresh(item);
  }
}

void CServerTree::DoubleClick(HTREEITEM item) {
  const Entry* e = EntryOf(item);
  if (!e || !owner_) return;
  Select(item);
  if (e->level == 2) owner_->ConnectSelected();
  if (e->level == 3) owner_->OpenRelayView(e->camera.camera_id);
}

void CServerTree::RightClick(HTREEITEM item) {
  if (!item) return;
  Select(item);
  ShowMenu(item);
}

HTREEITEM CServerTree::ItemAtMessage(UINT* flags) const {
  const DWORD pos = GetMessagePos();
  TVHITTESTINFO hit{};
  hit.pt = {static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
  ScreenToClient(tree_, &hit.pt);
  HTREEITEM item = TreeView_HitTest(tree_, &hit);
  if (flags) *flags = hit.flags;
  return item;
}

void CServerTree::OnCustomDraw(NMTVCUSTOMDRAW* draw, LRESULT* result) const {
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      *result = CDRF_NOTIFYITEMDRAW;
      return;
    case CDDS_ITEMPREPAINT: {
      const Entry* e = EntryOf(reinterpret_cast<HTREEITEM>(draw->nmcd.dwItemSpec));
      if (e && e->level == 1 && !(draw->nmcd.uItemState & CDIS_SELECTED)) draw->clrText = kGroupColour;
      *result = CDRF_DODEFAULT;
      return;
    }
    default:
      *result = CDRF_DODEFAULT;
  }
}

void CServerTree::OnInfoTip(NMTVGETINFOTIPW* tip) const {
  const Entry* e = EntryOf(tip->hItem);
  if (!e || tip->cchTextMax <= 0) return;
  std::string text = e->info;
  if (e->level == 3) {
    for (const std::string* field : {&e->camera.text36, &e->camera.text68, &e->camera.text132, &e->camera.text168})
      if (!field->empty()) text += (text.empty() ? "" : "\r\n") + *field;
  }
  std::wstring wide = win32::Widen(text);
  wide.resize(std::min<size_t>(wide.size(), static_cast<size_t>(tip->cchTextMax - 1)));
  std::copy(wide.begin(), wide.end(), tip->pszText);
  tip->pszText[wide.size()] = L'\0';
}

bool CServerTree::OnNotify(NMHDR* header, LRESULT* result) {
  if (header->hwndFrom != tree_) return false;
  switch (header->code) {
    case NM_CLICK: {
      UINT flags = 0;
      HTREEITEM item = ItemAtMessage(&flags);
      if (item && (flags & TVHT_ONITEM)) Click(item);
      *result = 0;
      return true;
    }
    case NM_DBLCLK: {
      UINT flags = 0;
      HTREEITEM item = ItemAtMessage(&flags);
      if (item && (flags & TVHT_ONITEM)) DoubleClick(item);
      *result = 1;
      return true;
    }
    case NM_RCLICK:
      RightClick(ItemAtMessage(nullptr));
      *result = 1;
      return true;
    case TVN_BEGINLABELEDITW:
      *result = OnBeginLabelEdit(*reinterpret_cast<NMTVDISPINFOW*>(header)) ? FALSE : TRUE;
      return true;
    case TVN_ENDLABELEDITW:
      OnEndLabelEdit(*reinterpret_cast<NMTVDISPINFOW*>(header));
      *result = FALSE;
      return true;
    case TVN_ITEMEXPANDEDW:
      Refresh(reinterpret_cast<NMTREEVIEWW*>(header)->itemNew.hItem);
      *result = 0;
      return true;
    case TVN_GETINFOTIPW:
      OnInfoTip(reinterpret_cast<NMTVGETINFOTIPW*>(header));
      *result = 0;
      return true;
    case NM_CUSTOMDRAW:
      OnCustomDraw(reinterpret_cast<NMTVCUSTOMDRAW*>(header), result);
      return true;
    default:
      return false;
  }
}

}  // namespace app
