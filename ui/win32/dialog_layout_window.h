// DialogLayout: keeps a dialog's controls anchored to its edges while the dialog is resized
// (the calculation is in ui/dialog_layout.h), and holds the dialog's tracking limits.
#pragma once

#include <windows.h>

#include <memory>
#include <new>
#include <vector>

#include "ui/dialog_layout.h"

struct LayoutRow {
  int id;
  AnchorKind kind;
};

struct LayoutEntry {
  HWND control;
  LayoutAnchor anchor;
};

class DialogLayout {
 public:
  // Records the rows from the dialog as it is now: its client size and each control's
  // rectangle. Rows whose control does not exist are left out. Limits start unset.
  DialogLayout(HWND dialog, const std::vector<LayoutRow>& rows);

  // Places every control for the dialog's current client size, keeping the Z order.
  void Place() const;

  TrackingLimits& limits() { return limits_; }
  // Writes the limits that are set into the system's size limits.
  void ApplyTo(MINMAXINFO& info) const;

 private:
  HWND dialog_;
  std::vector<LayoutEntry> entries_;
  TrackingLimits limits_;
};

// The main dialog's layout: the target edit, the replacement group and its two edits grow
// in width, the Browse button keeps its distance to the right edge. The dialog can be made
// wider than at creation, not narrower, and keeps its height. Null when it cannot be made;
// the dialog then works without resizing.
std::unique_ptr<DialogLayout> CreateMainDialogLayout(HWND dialog);
