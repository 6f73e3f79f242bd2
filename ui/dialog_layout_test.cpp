#include "ui/dialog_layout.h"

#include <gtest/gtest.h>

namespace {

constexpr int kW0 = 400;
constexpr int kH0 = 300;
constexpr LayoutRect kControl{50, 60, 120, 20};  // right edge at 170, bottom at 80

LayoutPlacement Place(AnchorKind kind, int width, int height) {
  return PlaceAnchor(RecordAnchor(kind, kW0, kH0, kControl), width, height);
}

// Every kind, placed for the client size it was recorded at, puts its control back where it
// was: the recorded values and the placement agree.
TEST(DialogLayoutTest, EveryKindKeepsItsControlAtTheCreationSize) {
  for (int kind = 1; kind <= 6; ++kind) {
    SCOPED_TRACE(kind);
    LayoutPlacement place = Place(static_cast<AnchorKind>(kind), kW0, kH0);
    if (place.move) {
      EXPECT_EQ(place.x, kControl.x);
      EXPECT_EQ(place.y, kControl.y);
    }
    if (place.resize) {
      EXPECT_EQ(place.width, kControl.width);
      EXPECT_EQ(place.height, kControl.height);
    }
    EXPECT_TRUE(place.move || place.resize);
  }
}

TEST(DialogLayoutTest, MovingKindsKeepTheirDistanceToTheEdges) {
  // 200 wider, 50 taller.
  LayoutPlacement right = Place(AnchorKind::kKeepRight, 600, 350);
  EXPECT_TRUE(right.move);
  EXPECT_FALSE(right.resize);
  EXPECT_EQ(right.x, 250);
  EXPECT_EQ(right.y, 60) << "keeps its top";

  LayoutPlacement bottom = Place(AnchorKind::kKeepBottom, 600, 350);
  EXPECT_TRUE(bottom.move);
  EXPECT_FALSE(bottom.resize);
  EXPECT_EQ(bottom.x, 50) << "keeps its left";
  EXPECT_EQ(bottom.y, 110);

  LayoutPlacement corner = Place(AnchorKind::kKeepBottomRight, 600, 350);
  EXPECT_TRUE(corner.move);
  EXPECT_FALSE(corner.resize);
  EXPECT_EQ(corner.x, 250);
  EXPECT_EQ(corner.y, 110);

  // Narrower and lower moves back the other way.
  LayoutPlacement smaller = Place(AnchorKind::kKeepBottomRight, 300, 250);
  EXPECT_EQ(smaller.x, -50);
  EXPECT_EQ(smaller.y, 10);
}

TEST(DialogLayoutTest, StretchingKindsGrowWithTheClient) {
  LayoutPlacement wide = Place(AnchorKind::kStretchWidth, 600, 350);
  EXPECT_FALSE(wide.move);
  EXPECT_TRUE(wide.resize);
  EXPECT_EQ(wide.width, 320);
  EXPECT_EQ(wide.height, 20) << "height as recorded, whatever the client's";

  LayoutPlacement both = Place(AnchorKind::kStretchWidthHeight, 600, 350);
  EXPECT_FALSE(both.move);
  EXPECT_TRUE(both.resize);
  EXPECT_EQ(both.width, 320);
  EXPECT_EQ(both.height, 70);

  LayoutPlacement footer = Place(AnchorKind::kKeepBottomStretchWidth, 600, 350);
  EXPECT_TRUE(footer.move);
  EXPECT_TRUE(footer.resize);
  EXPECT_EQ(footer.x, 50);
  EXPECT_EQ(footer.y, 110);
  EXPECT_EQ(footer.width, 320);
  EXPECT_EQ(footer.height, 20);
}

// The main dialog widened by 200 pixels: the edits and the group grow by exactly that, the
// Browse button moves by exactly that, and nothing changes in height.
TEST(DialogLayoutTest, MainDialogWidenedBy200) {
  const int w0 = 614;
  const int h0 = 541;
  LayoutRect target{12, 28, 498, 23};
  LayoutRect browse{514, 28, 86, 23};
  LayoutAnchor targetAnchor = RecordAnchor(AnchorKind::kStretchWidthHeight, w0, h0, target);
  LayoutAnchor browseAnchor = RecordAnchor(AnchorKind::kKeepRight, w0, h0, browse);
  LayoutPlacement t = PlaceAnchor(targetAnchor, w0 + 200, h0);
  LayoutPlacement b = PlaceAnchor(browseAnchor, w0 + 200, h0);
  EXPECT_EQ(t.width, target.width + 200);
  EXPECT_EQ(t.height, target.height);
  EXPECT_EQ(b.x, browse.x + 200);
  EXPECT_EQ(b.y, browse.y);
}

TEST(DialogLayoutTest, MinimisedClientGivesNoNegativeSize) {
  for (auto kind : {AnchorKind::kStretchWidth, AnchorKind::kStretchWidthHeight,
                    AnchorKind::kKeepBottomStretchWidth}) {
    LayoutPlacement place = Place(kind, 0, 0);
    EXPECT_EQ(place.width, 0);
    EXPECT_GE(place.height, 0);
  }
}

TEST(DialogLayoutTest, UnsetTrackingLimitsLeaveTheSystemValues) {
  long minWidth = 1;
  long minHeight = 2;
  long maxWidth = 3000;
  long maxHeight = 4000;
  ApplyTrackingLimits(TrackingLimits{620, 560, -1, 560}, minWidth, minHeight, maxWidth,
                      maxHeight);
  EXPECT_EQ(minWidth, 620);
  EXPECT_EQ(minHeight, 560);
  EXPECT_EQ(maxWidth, 3000) << "-1 is no limit";
  EXPECT_EQ(maxHeight, 560);

  ApplyTrackingLimits(TrackingLimits{}, minWidth, minHeight, maxWidth, maxHeight);
  EXPECT_EQ(minWidth, 620);
  EXPECT_EQ(maxWidth, 3000);
  ApplyTrackingLimits(TrackingLimits{0, -1, -1, -1}, minWidth, minHeight, maxWidth, maxHeight);
  EXPECT_EQ(minWidth, 0) << "0 is a limit, only -1 is not";
}

}  // namespace
