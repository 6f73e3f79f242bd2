// Resizing of a dialog's controls: each control keeps a distance to the right or bottom
// edge, or grows with the dialog. What is kept is recorded once, from the dialog as it was
// created; placing a control for a new client size is then a pure calculation.
#pragma once

#include <array>

enum class AnchorKind : int {
  kKeepRight = 1,               // moves with the right edge
  kKeepBottom = 2,              // moves with the bottom edge
  kKeepBottomRight = 3,         // moves with both
  kStretchWidth = 4,            // grows in width
  kStretchWidthHeight = 5,      // grows in width and height
  kKeepBottomStretchWidth = 6,  // moves with the bottom edge and grows in width
};

// A rectangle in the dialog's client coordinates.
struct LayoutRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// What one control keeps of its place at creation, by kind (W0, H0: the client size then;
// x0, y0, w0, h0: the control's rectangle then):
//   KeepRight              W0 - x0, y0
//   KeepBottom             x0, H0 - y0
//   KeepBottomRight        W0 - x0, H0 - y0
//   StretchWidth           W0 - w0, h0
//   StretchWidthHeight     W0 - w0, H0 - h0
//   KeepBottomStretchWidth W0 - w0, H0 - y0, x0, h0
struct LayoutAnchor {
  AnchorKind kind = AnchorKind::kKeepRight;
  std::array<int, 4> recorded = {};
};

// Where a control goes. A move leaves the size alone and a resize the position, except
// for KeepBottomStretchWidth, which does both.
struct LayoutPlacement {
  bool move = false;
  bool resize = false;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

LayoutAnchor RecordAnchor(AnchorKind kind, int clientWidth, int clientHeight,
                          const LayoutRect& control);

LayoutPlacement PlaceAnchor(const LayoutAnchor& anchor, int clientWidth, int clientHeight);

// The dialog's tracking limits in pixels; -1 leaves a limit unset.
struct TrackingLimits {
  int minWidth = -1;
  int minHeight = -1;
  int maxWidth = -1;
  int maxHeight = -1;
};

// Puts the limits that are set into the system's size limits; unset ones stay as they are.
void ApplyTrackingLimits(const TrackingLimits& limits, long& minWidth, long& minHeight,
                         long& maxWidth, long& maxHeight);
