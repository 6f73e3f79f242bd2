#include "engine/piece_relay.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

// Hands pieces "0".."count-1" over, the last marked so.
void HandNumbers(PieceRelay& relay, int count) {
  for (int i = 0; i < count; ++i) {
    WideText piece(1, static_cast<char16_t>(u'0' + i));
    if (!relay.Hand(piece, i + 1 == count)) break;
    EXPECT_TRUE(piece.empty()) << "a piece handed over leaves an empty buffer behind";
  }
}

}  // namespace

TEST(PieceRelayTest, PiecesArriveInOrderWithAndWithoutAHelper) {
  for (bool helpers : {true, false}) {
    std::unique_ptr<NoHelperThreads> none;
    if (!helpers) none = std::make_unique<NoHelperThreads>();
    std::u16string seen;
    int lasts = 0;
    PieceRelay relay([&](WideText& piece, bool last) {
      seen += piece;
      lasts += last;
      return true;
    });
    HandNumbers(relay, 9);
    EXPECT_TRUE(relay.Finish());
    EXPECT_EQ(seen, u"012345678") << helpers;
    EXPECT_EQ(lasts, 1);
  }
}

TEST(PieceRelayTest, AFailedPieceStopsTheRest) {
  for (bool helpers : {true, false}) {
    std::unique_ptr<NoHelperThreads> none;
    if (!helpers) none = std::make_unique<NoHelperThreads>();
    std::u16string seen;
    PieceRelay relay([&](WideText& piece, bool) {
      seen += piece;
      return piece != u"3";
    });
    bool handed = true;
    for (int i = 0; i < 40 && handed; ++i) {
      WideText piece(1, static_cast<char16_t>(u'0' + i));
      handed = relay.Hand(piece, false);
    }
    EXPECT_FALSE(handed) << "the caller learns of the failure and stops handing over";
    EXPECT_FALSE(relay.Finish());
    EXPECT_EQ(seen, u"0123") << "nothing after the failed piece is taken";
  }
}

TEST(PieceRelayTest, WhatTakingThrowsReachesTheCaller) {
  PieceRelay relay([&](WideText& piece, bool) -> bool {
    if (piece == u"2") throw std::bad_alloc();
    return true;
  });
  EXPECT_THROW(
      {
        for (int i = 0; i < 40; ++i) {
          WideText piece(1, static_cast<char16_t>(u'0' + i));
          if (!relay.Hand(piece, false)) break;
        }
        relay.Finish();
      },
      std::bad_alloc);
}

TEST(PieceRelayTest, DroppingARelayMidwayWaitsForThePieceBeingTaken) {
  int taken = 0;
  {
    PieceRelay relay([&](WideText&, bool) {
      ++taken;
      return true;
    });
    for (int i = 0; i < 5; ++i) {
      WideText piece(u"x");
      relay.Hand(piece, false);
    }
  }
  EXPECT_LE(taken, 5);  // whatever was taken is done before the relay is gone
}
