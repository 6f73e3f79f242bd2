#include "platform/wildcard.h"

#include <gtest/gtest.h>

TEST(Wildcard, MatchesAsWindowsDoes) {
  EXPECT_TRUE(MatchesWildcard("a.txt", "*.txt"));
  EXPECT_TRUE(MatchesWildcard("A.TXT", "*.txt"));
  EXPECT_FALSE(MatchesWildcard("a.txt.bak", "*.txt"));
  EXPECT_TRUE(MatchesWildcard("notes", "*.*")) << "*.* matches names without a dot";
  EXPECT_TRUE(MatchesWildcard(".hidden", "*"));
  EXPECT_TRUE(MatchesWildcard("readme", "readme.*"));
  EXPECT_TRUE(MatchesWildcard("ab1.c", "ab?.c"));
  EXPECT_FALSE(MatchesWildcard("ab.c", "ab?.c"));
  EXPECT_TRUE(MatchesWildcard("x-y-z.log", "*-*-*.log"));
  EXPECT_FALSE(MatchesWildcard("\xC3\xA9.txt", "\xC3\x89.txt")) << "only ASCII letters fold";
}

TEST(Wildcard, ManyStarsStayFast) {
  std::string name(5000, 'a');
  EXPECT_FALSE(MatchesWildcard(name, "*a*a*a*a*a*a*a*a*a*a*b"));
}
