#include "app/server_tree.h"

#include <algorithm>

#include "app/resource.h"
#include "dialogs/win32/server_info_dialog.h"
#include "os/win32/message_box.h"
#include "os/win32/text.h"
#include "settings/win32/ini_handler.h"

namespace app {
namespace {

using settings::IniHandler;
namespace text = settings::text;

constexpr COLORREF kGroupColour = 0xFF0000;  // blue, as a COLORREF is 0x00BBGGRR

constexpr int kImageIcons[kImageCount] = {IDI_FOLDER_CLOSED, IDI_FOLDER_OPEN,   IDI_HOST_OFFLINE,  IDI_HOST_ONLINE,
                                          IDI_CAMERA_OFFLINE, IDI_CAMERA_ONLINE, IDI_CAMERA_ALARM};
// State image 0 stands for none and is never drawn.
constexpr int kPlanIcons[kPlanImageCount] = {IDI_PLAN_WAITING, IDI_PLAN_RECORDING, IDI_PLAN_WAITING, IDI_PLAN_FAILED};

HIMAGELIST LoadImages(HINSTANCE instance, const int* ids, int count) {
  HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, count, 0);
  for (int i = 0; i < count; ++i) {
    HICON icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(ids[i]), IMAGE_ICON, 16, 16, 0));
    ImageList_AddIcon(images, icon);
    if (icon) DestroyIcon(icon);
  }
  return images;
}

TreeStateWords StateWords() {
  IniHandler& ini = IniHandler::Instance();
  return {ini.GetString(text::kWordOnline), ini.GetString(text::kWordOffline), ini.GetString(text::kWordReconnecting)};
}

}  // namespace

CServerTree::~CServerTree() {
  // A tree view leaves its image lists to whoever made them.
  if (images_) ImageList_Destroy(images_);
  if (plan_images_) ImageList_Destroy(plan_images_);
}

void CServerTree::Attach(HWND tree, HWND owner_window, HINSTANCE instance, ServerTreeOwner* owner) {
  tree_ = tree;
  owner_window_ = owner_window;
  instance_ = instance;
  owner_ = owner;
  images_ = LoadImages(instance, kImageIcons, kImageCount);
  plan_images_ = LoadImages(instance, kPlanIcons, kPlanImageCount);
  TreeView_SetImageList(tree_, images_, TVSIL_NORMAL);
  TreeView_SetImageList(tree_, plan_images_, TVSIL_STATE);
}

void CServerTree::Load(const std::string& program_dir) {
  store_.SetPath(program_dir + settings::kServerListFile);
  model_.Load();
}

// ---- mirroring the model --------------------------------------------------

HTREEITEM CServerTree::ItemOf(TreeNodeId id) const {
  auto it = items_.find(id);
  return it == items_.end() ? nullptr : it->second;
}

TreeNodeId CServerTree::IdOf(HTREEITEM item) const {
  auto it = ids_.find(item);
  return it == ids_.end() ? kNoNode : it->second;
}

void CServerTree::NodeAdded(TreeNodeId id) {
  const TreeNodeId parent = model_.ParentOf(id);
  TVINSERTSTRUCTW insert{};
  insert.hParent = parent == kNoNode ? TVI_ROOT : ItemOf(parent);
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_STATE;
  insert.item.pszText = const_cast<wchar_t*>(L"");
  insert.item.state = model_.Level(id) == 1 ? TVIS_BOLD : 0;
  insert.item.stateMask = TVIS_BOLD;
  HTREEITEM item = TreeView_InsertItem(tree_, &insert);
  if (!item) return;
  items_[id] = item;
  ids_[item] = id;
  Refresh(item);
}

void CServerTree::NodeChanged(TreeNodeId id) { Refresh(ItemOf(id)); }

void CServerTree::NodeRemoving(TreeNodeId id) {
  HTREEITEM item = ItemOf(id);
  if (!item) return;
  // Unmapped first: deleting an item can notify, and it must not be found then.
  items_.erase(id);
  ids_.erase(item);
  TreeView_DeleteItem(tree_, item);
}

void CServerTree::NodeExpanded(TreeNodeId id) { Expand(ItemOf(id)); }

void CServerTree::Refresh(HTREEITEM item) {
  const Entry* e = EntryOf(item);
  if (!e) return;
  const bool expanded = (TreeView_GetItemState(tree_, item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
  std::wstring wide = win32::Widen(LabelOf(*e, StateWords()));
  TVITEMW tv{};
  tv.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
  tv.hItem = item;
  tv.pszText = wide.data();
  tv.iImage = tv.iSelectedImage = ImageOf(*e, expanded);
  tv.stateMask = TVIS_STATEIMAGEMASK;
  tv.state = INDEXTOSTATEIMAGEMASK(PlanImageOf(*e));
  TreeView_SetItem(tree_, &tv);
}

void CServerTree::Expand(HTREEITEM item) {
  if (!item) return;
  TreeView_Expand(tree_, item, TVE_EXPAND);
  Refresh(item);
}

// ---- queries --------------------------------------------------------------

std::vector<HTREEITEM> CServerTree::Children(HTREEITEM parent) const {
  std::vector<HTREEITEM> out;
  for (HTREEITEM c = parent ? TreeView_GetChild(tree_, parent) : TreeView_GetRoot(tree_); c;
       c = TreeView_GetNextSibling(tree_, c))
    out.push_back(c);
  return out;
}

int CServerTree::Level(HTREEITEM item) const { return model_.Level(IdOf(item)); }

HTREEITEM CServerTree::Selected() const { return TreeView_GetSelection(tree_); }

void CServerTree::Select(HTREEITEM item) { TreeView_SelectItem(tree_, item); }

const CServerTree::Entry* CServerTree::EntryOf(HTREEITEM item) const { return model_.EntryOf(IdOf(item)); }

HTREEITEM CServerTree::FindServer(const std::string& name) const { return ItemOf(model_.FindServer(name)); }

HTREEITEM CServerTree::FindCamera(const std::string& camera_id) const { return ItemOf(model_.FindCamera(camera_id)); }

// ---- events ---------------------------------------------------------------

void CServerTree::SetHostOnline(const std::string& address, int port, ConnectionKey key) {
  model_.SetHostOnline(address, port, key, IdOf(Selected()));
}

void CServerTree::SetCameraServerOnline(const std::string& name, const std::string& text, int match_mode,
                                        ConnectionKey key) {
  model_.SetCameraServerOnline(name, text, match_mode, key, IdOf(Selected()));
}

// ---- menus and commands ---------------------------------------------------

HMENU CServerTree::BuildMenu(HTREEITEM item) const {
  const std::vector<TreeMenuItem> items = model_.MenuOf(IdOf(item));
  if (items.empty()) return nullptr;
  IniHandler& ini = IniHandler::Instance();
  HMENU menu = CreatePopupMenu();
  for (const TreeMenuItem& line : items) {
    if (!line.label) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    AppendMenuW(menu, MF_STRING | (line.enabled ? 0 : MF_GRAYED) | (line.checked ? MF_CHECKED : 0),
                static_cast<UINT_PTR>(line.command),
                win32::Widen(ini.GetString(*line.label)).c_str());
  }
  return menu;
}

void CServerTree::ShowMenu(HTREEITEM item, const POINT* at) {
  HMENU menu = BuildMenu(item);
  if (!menu) return;
  POINT p;
  if (at)
    p = *at;
  else
    GetCursorPos(&p);
  const int command = static_cast<int>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, p.x, p.y, 0, owner_window_, nullptr));
  DestroyMenu(menu);
  if (command) OnMenuCommand(command);
}

void CServerTree::OnMenuCommand(int command) {
  const TreeNodeId node = IdOf(Selected());
  switch (command) {
    case kCmdRegisterGroup:
      StartEditing(ItemOf(model_.RegisterGroup()), "");
      break;
    case kCmdModifyGroup:
      if (model_.ModifyGroup(node)) StartEditing(ItemOf(node), "");
      break;
    case kCmdDeleteGroup:
      DeleteGroup(node);
      break;
    case kCmdRegisterServer:
      RegisterServer(node);
      break;
    case kCmdModifyServer:
      ModifyServer(node);
      break;
    case kCmdDeleteServer:
      DeleteServer(node);
      break;
    case kCmdConnect:
      if (owner_) owner_->ConnectSelected();
      break;
    case kCmdCloseHost:
      if (owner_) owner_->CloseHostServer();
      break;
    default:
      SetPlanOf(node, command);
      break;
  }
}

std::vector<TreeMenuItem> CServerTree::MenuOf(HTREEITEM item) const { return item ? model_.MenuOf(IdOf(item)) : std::vector<TreeMenuItem>{}; }

void CServerTree::SetPlanOf(TreeNodeId node, int command) {
  node::PlanMode mode{};
  const Entry* e = model_.EntryOf(node);
  if (!owner_ || !e || !e->IsCamera()) return;
  const bool hosted = e->level == 3;
  const std::string name = hosted ? e->camera.camera_id : e->server.name;
  if (command == kCmdPlanEdit)
    owner_->EditPlan(hosted, name);
  else if (PlanModeOfCommand(command, &mode))
    owner_->SetPlan(hosted, name, mode);
}

void CServerTree::StartEditing(HTREEITEM item, const std::string& offered) {
  if (!item) return;
  HWND edit = TreeView_EditLabel(tree_, item);
  if (edit && !offered.empty()) {
    SetWindowTextW(edit, win32::Widen(offered).c_str());
    SendMessageW(edit, EM_SETSEL, 0, -1);
  }
}

void CServerTree::EditAgain() {
  std::string offered;
  const TreeNodeId node = model_.EditAgain(&offered);
  if (node != kNoNode) StartEditing(ItemOf(node), offered);
}

void CServerTree::OnEndLabelEdit(const NMTVDISPINFOW& info) {
  const std::string typed = info.item.pszText ? win32::Narrow(info.item.pszText) : std::string();
  const LabelEditEnd end = model_.EndLabelEdit(IdOf(info.item.hItem), info.item.pszText ? &typed : nullptr);
  if (end.message) {
    std::vector<os::MessageArg> args(end.message_args.begin(), end.message_args.end());
    IniHandler::Instance().ShowMessage(*end.message, args);
  }
  if (end.edit_again) PostMessageW(owner_window_, kWmEditAgain, 0, 0);
}

void CServerTree::DeleteGroup(TreeNodeId group) {
  if (const settings::TextId* refusal = model_.DeleteGroup(group)) IniHandler::Instance().ShowMessage(*refusal);
}

void CServerTree::RegisterServer(TreeNodeId group) {
  if (model_.Level(group) != 1) return;
  settings::ServerRecord record;
  record.type = model_.NewServerType(group);
  dialogs::ServerInfoDialog dialog(instance_, dialogs::ServerInfoDialog::Mode::kRegister, record,
                                   [this](const std::string& name) { return model_.NameTaken(name); });
  if (dialog.DoModal(owner_window_) == IDOK) model_.RegisterServer(group, dialog.record());
}

void CServerTree::ModifyServer(TreeNodeId server) {
  if (model_.Level(server) != 2) return;
  dialogs::ServerInfoDialog dialog(instance_, dialogs::ServerInfoDialog::Mode::kModify, model_.EntryOf(server)->server,
                                   [this](const std::string& name) { return model_.NameTaken(name); });
  if (dialog.DoModal(owner_window_) == IDOK) model_.ModifyServer(server, dialog.record());
}

void CServerTree::DeleteServer(TreeNodeId server) {
  if (model_.Level(server) != 2) return;
  const std::string question = IniHandler::Instance().GetText(text::kTreeMessageDeleteConfirm);
  if (win32::ShowMessageBox(owner_window_, question, "Halyard", MB_YESNO) != IDYES) return;
  model_.DeleteServer(server);
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

void CServerTree::ActivateSelected() { DoubleClick(Selected()); }

// The context-menu key or Shift+F10: the selected entry's menu, under its label.
void CServerTree::ShowMenuOfSelected() {
  HTREEITEM item = Selected();
  RECT label{};
  if (!item || !TreeView_GetItemRect(tree_, item, &label, TRUE)) return;
  POINT at = {label.left, label.bottom};
  ClientToScreen(tree_, &at);
  ShowMenu(item, &at);
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
  std::wstring wide = win32::Widen(InfoTipOf(*e));
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
      // Only groups, and only through their menu: a click on a selected server never renames it.
      *result = model_.MayEditLabel(IdOf(reinterpret_cast<NMTVDISPINFOW*>(header)->item.hItem)) ? FALSE : TRUE;
      return true;
    case TVN_ENDLABELEDITW:
      OnEndLabelEdit(*reinterpret_cast<NMTVDISPINFOW*>(header));
      *result = FALSE;
      return true;
    case TVN_ITEMEXPANDEDW:
      Refresh(reinterpret_cast<NMTREEVIEWW*>(header)->itemNew.hItem);
      *result = 0;
      return true;
    case TVN_BEGINDRAGW: {
      const Entry* e = model_.EntryOf(IdOf(reinterpret_cast<NMTREEVIEWW*>(header)->itemNew.hItem));
      if (owner_ && e && e->IsCamera())
        owner_->BeginCameraDrag(e->level == 3, e->level == 3 ? e->camera.camera_id : e->server.name);
      *result = 0;
      return true;
    }
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
