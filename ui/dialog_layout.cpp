#include "ui/dialog_layout.h"

LayoutAnchor RecordAnchor(AnchorKind kind, int clientWidth, int clientHeight,
                          const LayoutRect& control) {
  LayoutAnchor anchor;
  anchor.kind = kind;
  int right = clientWidth - control.x;
  int bottom = clientHeight - control.y;
  switch (kind) {
    case AnchorKind::kKeepRight:
      anchor.recorded = {right, control.y, 0, 0};
      break;
    case AnchorKind::kKeepBottom:
      anchor.recorded = {control.x, bottom, 0, 0};
      break;
    case AnchorKind::kKeepBottomRight:
      anchor.recorded = {right, bottom, 0, 0};
      break;
    case AnchorKind::kStretchWidth:
      anchor.recorded = {clientWidth - control.width, control.height, 0, 0};
      break;
    case AnchorKind::kStretchWidthHeight:
      anchor.recorded = {clientWidth - control.width, clientHeight - control.height, 0, 0};
      break;
    case AnchorKind::kKeepBottomStretchWidth:
      anchor.recorded = {clientWidth - control.width, bottom, control.x, control.height};
      break;
  }
  return anchor;
}

LayoutPlacement PlaceAnchor(const LayoutAnchor& anchor, int clientWidth, int clientHeight) {
  const auto& r = anchor.recorded;
  LayoutPlacement place;
  switch (anchor.kind) {
    case AnchorKind::kKeepRight:
      place.move = true;
      place.x = clientWidth - r[0];
      place.y = r[1];
      break;
    case AnchorKind::kKeepBottom:
      place.move = true;
      place.x = r[0];
      place.y = clientHeight - r[1];
      break;
    case AnchorKind::kKeepBottomRight:
      place.move = true;
      place.x = clientWidth - r[0];
      place.y = clientHeight - r[1];
      break;
    case AnchorKind::kStretchWidth:
      place.resize = true;
      place.width = clientWidth - r[0];
      place.height = r[1];
      break;
    case AnchorKind::kStretchWidthHeight:
      place.resize = true;
      place.width = clientWidth - r[0];
      place.height = clientHeight - r[1];
      break;
    case AnchorKind::kKeepBottomStretchWidth:
      place.move = true;
      place.resize = true;
      place.x = r[2];
      place.y = clientHeight - r[1];
      place.width = clientWidth - r[0];
      place.height = r[3];
      break;
  }
  // A client area smaller than the recorded margins (a minimised window reports 0 x 0)
  // gives an empty control, never a negative size.
  if (place.width < 0) place.width = 0;
  if (place.height < 0) place.height = 0;
  return place;
}

void ApplyTrackingLimits(const TrackingLimits& limits, long& minWidth, long& minHeight,
                         long& maxWidth, long& maxHeight) {
  if (limits.minWidth != -1) minWidth = limits.minWidth;
  if (limits.minHeight != -1) minHeight = limits.minHeight;
  if (limits.maxWidth != -1) maxWidth = limits.maxWidth;
  if (limits.maxHeight != -1) maxHeight = limits.maxHeight;
}
