#include "ui/win32/dialog_layout_window.h"

#include "core/dialog_controls.h"

DialogLayout::DialogLayout(HWND dialog, const std::vector<LayoutRow>& rows) : dialog_(dialog) {
  RECT client = {};
  GetClientRect(dialog, &client);
  for (const LayoutRow& row : rows) {
    HWND control = GetDlgItem(dialog, row.id);
    if (!control) continue;
    RECT rect = {};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    LayoutRect place{static_cast<int>(rect.left), static_cast<int>(rect.top),
                     static_cast<int>(rect.right - rect.left),
                     static_cast<int>(rect.bottom - rect.top)};
    entries_.push_back(
        {control, RecordAnchor(row.kind, client.right, client.bottom, place)});
  }
}

void DialogLayout::Place() const {
  RECT client = {};
  GetClientRect(dialog_, &client);
  for (const LayoutEntry& entry : entries_) {
    if (!IsWindow(entry.control)) continue;
    LayoutPlacement place = PlaceAnchor(entry.anchor, client.right, client.bottom);
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (!place.move) flags |= SWP_NOMOVE;
    if (!place.resize) flags |= SWP_NOSIZE;
    SetWindowPos(entry.control, nullptr, place.x, place.y, place.width, place.height, flags);
  }
  // The group box and the edits over it are redrawn as one, without stale frame lines.
  InvalidateRect(dialog_, nullptr, TRUE);
}

void DialogLayout::ApplyTo(MINMAXINFO& info) const {
  long minWidth = info.ptMinTrackSize.x;
  long minHeight = info.ptMinTrackSize.y;
  long maxWidth = info.ptMaxTrackSize.x;
  long maxHeight = info.ptMaxTrackSize.y;
  ApplyTrackingLimits(limits_, minWidth, minHeight, maxWidth, maxHeight);
  info.ptMinTrackSize = {minWidth, minHeight};
  info.ptMaxTrackSize = {maxWidth, maxHeight};
}

std::unique_ptr<DialogLayout> CreateMainDialogLayout(HWND dialog) {
  static const std::vector<LayoutRow> kRows = {
      {kIdTarget, AnchorKind::kStretchWidthHeight},
      {kIdBrowse, AnchorKind::kKeepRight},
      {kIdReplaceGroup, AnchorKind::kStretchWidthHeight},
      {kIdSearchText, AnchorKind::kStretchWidthHeight},
      {kIdReplacementText, AnchorKind::kStretchWidthHeight},
  };
  RECT window = {};
  if (!GetWindowRect(dialog, &window)) return nullptr;
  try {
    auto layout = std::make_unique<DialogLayout>(dialog, kRows);
    TrackingLimits& limits = layout->limits();
    limits.minWidth = static_cast<int>(window.right - window.left);
    limits.minHeight = static_cast<int>(window.bottom - window.top);
    limits.maxHeight = limits.minHeight;
    return layout;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
