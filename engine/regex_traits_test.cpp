#include "engine/regex_traits.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using Base = PatternTraits::Base;
using ClassMask = PatternTraits::char_class_type;

// The last character a wchar_t of this platform holds as one character.
constexpr uint32_t kLastCharacter = sizeof(wchar_t) == 2 ? 0xFFFF : 0x10FFFF;

// Every class name the library's parser passes to lookup_classname (\d, [[:alpha:]], ...).
const std::vector<std::wstring>& ClassNames() {
  static const std::vector<std::wstring> names = {
      L"alnum", L"alpha", L"blank", L"cntrl", L"d", L"digit", L"graph", L"h", L"l",
      L"lower", L"print", L"punct", L"s", L"space", L"u", L"unicode", L"upper", L"v",
      L"w", L"word", L"xdigit"};
  return names;
}

ClassMask Lookup(const auto& traits, const std::wstring& name) {
  return traits.lookup_classname(name.data(), name.data() + name.size());
}

// The class masks matching asks about: each named class, each pair of them (a bracket
// expression such as [[:alpha:][:digit:]_] asks for several at once), and each single bit.
std::vector<ClassMask> MasksToCompare(const Base& base) {
  std::vector<ClassMask> masks;
  for (const auto& first : ClassNames()) {
    masks.push_back(Lookup(base, first));
    for (const auto& second : ClassNames()) {
      masks.push_back(Lookup(base, first) | Lookup(base, second));
    }
  }
  for (unsigned bit = 0; bit < sizeof(ClassMask) * 8; ++bit) masks.push_back(ClassMask{1} << bit);
  return masks;
}

TEST(PatternTraits, ClassNamesResolveAsInTheDefaultTraits) {
  const Base base;
  const PatternTraits traits;
  for (const auto& name : ClassNames()) {
    EXPECT_EQ(Lookup(traits, name), Lookup(base, name)) << std::string(name.begin(), name.end());
    EXPECT_NE(Lookup(traits, name), ClassMask{0});
  }
}

// Every question matching asks of the traits, for every character, answered as the
// platform's default traits answer it.
TEST(PatternTraits, AnswersAsTheDefaultTraitsForEveryCharacter) {
  const Base base;
  const PatternTraits traits;
  const std::vector<ClassMask> masks = MasksToCompare(base);
  int mismatches = 0;
  for (uint32_t point = 0; point <= kLastCharacter && mismatches < 10; ++point) {
    const wchar_t c = static_cast<wchar_t>(point);
    // Beyond the table the answers are Base's by construction; the named classes alone
    // keep the walk over all of Unicode short.
    const size_t maskCount = point < 256 ? masks.size() : ClassNames().size();
    for (size_t m = 0; m < maskCount; ++m) {
      if (traits.isctype(c, masks[m]) != base.isctype(c, masks[m])) {
        ADD_FAILURE() << "isctype U+" << std::hex << point << " mask " << masks[m];
        ++mismatches;
      }
    }
    if (traits.translate(c) != base.translate(c) ||
        traits.translate(c, false) != base.translate(c, false) ||
        traits.translate(c, true) != base.translate(c, true) ||
        traits.translate_nocase(c) != base.translate_nocase(c) ||
        traits.tolower(c) != base.tolower(c) || traits.toupper(c) != base.toupper(c)) {
      ADD_FAILURE() << "case of U+" << std::hex << point;
      ++mismatches;
    }
    for (int radix : {8, 10, 16}) {
      if (traits.value(c, radix) != base.value(c, radix)) {
        ADD_FAILURE() << "value U+" << std::hex << point << " radix " << std::dec << radix;
        ++mismatches;
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

// toi reads numbers of expressions ({3}, \g12) and formats ($1): the same value and the
// same characters taken as the default traits, for what the fast path takes and what it
// leaves to them.
TEST(PatternTraits, ReadsNumbersAsTheDefaultTraits) {
  const Base base;
  const PatternTraits traits;
  auto same = [&](const std::wstring& text, int radix) {
    const wchar_t* mine = text.data();
    const wchar_t* theirs = text.data();
    const auto myValue = traits.toi(mine, text.data() + text.size(), radix);
    const auto theirValue = base.toi(theirs, text.data() + text.size(), radix);
    EXPECT_EQ(myValue, theirValue) << std::string(text.begin(), text.end()) << " radix " << radix;
    EXPECT_EQ(mine - text.data(), theirs - text.data())
        << std::string(text.begin(), text.end()) << " radix " << radix;
  };
  for (const std::wstring text :
       {L"0", L"7", L"12", L"2 $1", L"1}", L"3,4", L"007", L"123456789", L"1234567890",
        L"99999999999999999999", L"x1", L" 1", L"+1", L"-1", L"1a", L"ff", L"0x1F",
        L"\uFF11", L"1\uFF12", L""}) {
    for (int radix : {8, 10, 16}) same(text, radix);
  }
  std::mt19937 random(7);
  const std::wstring alphabet = L"0123456789 +-,xaF\uFF10";
  for (int round = 0; round < 2000; ++round) {
    std::wstring text;
    const int length = static_cast<int>(random() % 14);
    for (int i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
    same(text, 10);
  }
}

}  // namespace
