#include "platform/work_files.h"

namespace {

constexpr std::string_view kTemporaryPrefix = ".~ql";
constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr std::string_view kKeepSuffix = ".~qlkeep";

NativePath Ascii(std::string_view text) { return NativePath(text.begin(), text.end()); }

NativePath Decimal(uint32_t value) {
  PathChar digits[10];
  size_t count = 0;
  do {
    digits[count++] = static_cast<PathChar>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  NativePath text;
  while (count > 0) text.push_back(digits[--count]);
  return text;
}

bool EndsWith(const NativePath& name, std::string_view suffix) {
  if (name.size() < suffix.size()) return false;
  const size_t start = name.size() - suffix.size();
  for (size_t i = 0; i < suffix.size(); ++i) {
    if (name[start + i] != static_cast<PathChar>(suffix[i])) return false;
  }
  return true;
}

bool IsDigit(PathChar c) { return c >= '0' && c <= '9'; }

// Parses the digits of name from *at on (at least one, at most nine or ten that fit in 32
// bits) into *value.
bool ParseDecimal(const NativePath& name, size_t* at, uint32_t* value) {
  uint64_t result = 0;
  const size_t start = *at;
  while (*at < name.size() && IsDigit(name[*at])) {
    result = result * 10 + static_cast<uint64_t>(name[*at] - '0');
    if (result > UINT32_MAX) return false;
    ++*at;
  }
  *value = static_cast<uint32_t>(result);
  return *at > start;
}

// Whether the unit at i continues a character (so a name may not be cut before it): a
// UTF-8 continuation byte, or the low half of a surrogate pair.
bool ContinuesCharacter(PathChar c) {
  const uint32_t unit = sizeof(PathChar) == 1 ? static_cast<unsigned char>(c)
                                               : static_cast<uint32_t>(c);
  return sizeof(PathChar) == 1 ? (unit & 0xC0) == 0x80 : unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

NativePath TemporaryFileName(uint32_t pid, uint32_t counter) {
  return Ascii(kTemporaryPrefix) + Decimal(pid) + static_cast<PathChar>('-') + Decimal(counter) +
         Ascii(kTemporarySuffix);
}

bool IsTemporaryFileName(const NativePath& name, uint32_t* pid) {
  if (name.size() < kTemporaryPrefix.size() + kTemporarySuffix.size() + 3) return false;
  for (size_t i = 0; i < kTemporaryPrefix.size(); ++i) {
    if (name[i] != static_cast<PathChar>(kTemporaryPrefix[i])) return false;
  }
  size_t at = kTemporaryPrefix.size();
  uint32_t process = 0, counter = 0;
  if (!ParseDecimal(name, &at, &process)) return false;
  if (at >= name.size() || name[at] != '-') return false;
  ++at;
  if (!ParseDecimal(name, &at, &counter)) return false;
  if (name.size() - at != kTemporarySuffix.size() || !EndsWith(name, kTemporarySuffix)) return false;
  if (pid) *pid = process;
  return true;
}

NativePath KeepCopyName(const NativePath& name, size_t maxLength) {
  size_t keep = name.size();
  if (keep + kKeepSuffix.size() > maxLength) {
    keep = maxLength > kKeepSuffix.size() ? maxLength - kKeepSuffix.size() : 0;
    while (keep > 0 && ContinuesCharacter(name[keep])) --keep;
  }
  return name.substr(0, keep) + Ascii(kKeepSuffix);
}

bool IsKeepCopyName(const NativePath& name) { return EndsWith(name, kKeepSuffix); }

bool IsLeftoverTemporary(const NativePath& name) {
  uint32_t pid = 0;
  if (!IsTemporaryFileName(name, &pid)) return false;
  return pid != CurrentProcessId() && !ProcessIsRunning(pid);
}
