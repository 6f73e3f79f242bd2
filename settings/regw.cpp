#include "settings/regw.h"

#include <algorithm>
#include <vector>

#include "settings/registry_guard.h"

namespace {

bool regwJapanese = true;

constexpr GuardText kAutoClose{
    u"レジストリを自動クローズしました。\nこのメッセージが表示されたら、現在編集している/していたダイアログの名前を、メッセージの内容と共に正確に作者まで報告して下さい。",
    u"An error has occurred in REGW::~REGW()."};
constexpr GuardText kDoubleOpen{
    u"レジストリキーを多重オープンしようとしたので保護しました(REGW::OpenKey())。\nこのメッセージが表示されたら、現在編集している/していたダイアログの名前を、メッセージの内容と共に正確に作者まで報告して下さい。",
    u"An error has occurred in REGW::OpenKey()."};
constexpr GuardText kReadStringWithoutKey{
    u"開かれていないキーを対象に ReadStringW が行われようとしたので保護します。\nこのメッセージが表示されたら、現在編集している/していたダイアログの名前を、メッセージの内容と共に正確に作者まで報告して下さい。",
    u"An error has occurred in ReadStringW."};
constexpr GuardText kReadIntegerWithoutKey{
    u"開かれていないキーを対象に ReadIntegerW が行われようとしたので保護します。\nこのメッセージが表示されたら、現在編集している/していたダイアログの名前を、メッセージの内容と共に正確に作者まで報告して下さい。",
    u"An error has occurred in ReadIntegerW."};
constexpr GuardText kWriteStringWithoutKey{
    u"開かれていないキーを対象に WriteStringW が行われようとしたので保護します。\nこのメッセージが表示されたら、現在編集している/していたダイアログの名前を、メッセージの内容と共に正確に作者まで報告して下さい。",
    u"An error has occurred in WriteStringW."};
constexpr GuardText kWriteIntegerWithoutKey{
    u"開かれていないキーを対象に WriteIntegerW が行われようとしたので保護します。\nこのメッセージが表示されたら、現在編集している/していたダイアログの名前を、メッセージの内容と共に正確に作者まで報告して下さい。",
    u"An error has occurred in WriteIntegerW."};
constexpr GuardText kDoubleClose{
    u"レジストリを多重クローズしようとしたので保護しました(REGW::CloseKey)。\nこのメッセージが表示されたら、現在編集している/していたダイアログの名前を、メッセージの内容と共に正確に作者まで報告して下さい。",
    u"An error has occurred in REGW::CloseKey()."};

// Room for a text of 8191 units and its terminator.
constexpr uint32_t kStringRoom = 16384;

}  // namespace

void REGW::SetJapanese(bool japanese) { regwJapanese = japanese; }
bool REGW::Japanese() { return regwJapanese; }

REGW::~REGW() {
  if (key_.IsOpen()) {
    CloseKey();
    ShowRegistryGuard(kAutoClose, regwJapanese);
  }
}

bool REGW::OpenKey(uint32_t flags) {
  if (key_.IsOpen()) {
    CloseKey();
    ShowRegistryGuard(kDoubleOpen, regwJapanese);
  }
  RegistryAccess access = flags & kReadOnly ? RegistryAccess::kRead : RegistryAccess::kFull;
  return key_.Open(access, (flags & kCreate) != 0) == kRegOk;
}

bool REGW::CloseKey() {
  if (!key_.IsOpen()) {
    ShowRegistryGuard(kDoubleClose, regwJapanese);
    return false;
  }
  return key_.Close() == kRegOk;
}

bool REGW::ReadStringW(std::u16string_view name, WideText* buffer) {
  buffer->clear();
  if (!key_.IsOpen()) {
    ShowRegistryGuard(kReadStringWithoutKey, regwJapanese);
    return false;
  }
  std::vector<unsigned char> data(kStringRoom, 0);
  uint32_t size = kStringRoom;
  uint32_t type = 0;
  if (RegistryQueryValue(key_.get(), name, &type, data.data(), &size) != kRegOk) return false;
  size_t units = size / 2;
  for (size_t i = 0; i < units; ++i) {
    char16_t unit = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
    if (unit == 0) return true;
    // A value of 8192 units without a terminator does not fit either.
    if (i == kStringRoom / 2 - 1) {
      buffer->clear();
      return false;
    }
    buffer->push_back(unit);
  }
  return true;
}

int32_t RegistryIntegerFromData(uint32_t type, const unsigned char* data, size_t size,
                                int32_t defaultValue) {
  switch (type) {
    case kRegSz:
    case kRegExpandSz:
    case kRegMultiSz: {
      auto unitAt = [&](size_t i) -> char16_t {
        return 2 * i + 1 < size + 2 ? static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8)
                                    : u'\0';
      };
      char16_t first = unitAt(0);
      bool negative = first == u'-';
      if (first != u'+' && !negative && !(first >= u'0' && first <= u'9')) return defaultValue;
      uint32_t number = negative || first == u'+' ? 0 : first - u'0';
      for (size_t i = 1;; ++i) {
        char16_t unit = unitAt(i);
        if (unit == 0) break;
        if (unit < u'0' || unit > u'9') return defaultValue;
        number = number * 10 + (unit - u'0');  // wraps like a 32-bit pattern
      }
      return static_cast<int32_t>(negative ? 0u - number : number);
    }
    case kRegDword:
    case kRegBinary:
    case kRegQword:
      // The buffer holds zeros after the data, so a short value reads zero-extended.
      return static_cast<int32_t>(static_cast<uint32_t>(data[0]) |
                                  static_cast<uint32_t>(data[1]) << 8 |
                                  static_cast<uint32_t>(data[2]) << 16 |
                                  static_cast<uint32_t>(data[3]) << 24);
    case kRegDwordBigEndian:
      return static_cast<int32_t>(static_cast<uint32_t>(data[0]) << 24 |
                                  static_cast<uint32_t>(data[1]) << 16 |
                                  static_cast<uint32_t>(data[2]) << 8 |
                                  static_cast<uint32_t>(data[3]));
    default:
      return defaultValue;
  }
}

bool REGW::QueryData(std::u16string_view name, uint32_t* type, std::vector<unsigned char>* data,
                     uint32_t* size) {
  if (!key_.IsOpen()) {
    ShowRegistryGuard(kReadIntegerWithoutKey, regwJapanese);
    return false;
  }
  *size = 0;
  if (RegistryQueryValue(key_.get(), name, type, nullptr, size) != kRegOk) return false;
  // Zeros after the data end a text and fill a short number; at least four of them.
  data->assign(static_cast<size_t>(*size) + 4, 0);
  return RegistryQueryValue(key_.get(), name, type, data->data(), size) == kRegOk;
}

int32_t REGW::ReadIntegerW(std::u16string_view name, int32_t defaultValue) {
  uint32_t type = 0, size = 0;
  std::vector<unsigned char> data;
  if (!QueryData(name, &type, &data, &size)) return defaultValue;
  return RegistryIntegerFromData(type, data.data(), size, defaultValue);
}

bool RegistryNumberFromData(uint32_t type, const unsigned char* data, size_t size,
                            int64_t* number) {
  switch (type) {
    case kRegSz:
    case kRegExpandSz:
    case kRegMultiSz: {
      constexpr uint64_t kLimit = uint64_t{1} << 62;
      auto unitAt = [&](size_t i) -> char16_t {
        return 2 * i + 1 < size + 2 ? static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8)
                                    : u'\0';
      };
      size_t i = 0;
      bool negative = unitAt(0) == u'-';
      if (negative || unitAt(0) == u'+') i = 1;
      if (unitAt(i) < u'0' || unitAt(i) > u'9') return false;
      uint64_t magnitude = 0;
      for (;; ++i) {
        char16_t unit = unitAt(i);
        if (unit == 0) break;
        if (unit < u'0' || unit > u'9') return false;
        const auto digit = static_cast<uint64_t>(unit - u'0');
        magnitude = magnitude > (kLimit - digit) / 10 ? kLimit : magnitude * 10 + digit;
      }
      *number = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
      return true;
    }
    case kRegQword: {
      // The buffer holds zeros after the data, at least four: a short value reads
      // zero-extended.
      uint64_t bits = 0;
      for (size_t b = 0; b < 8 && b < std::max<size_t>(size, 4); ++b) {
        bits |= static_cast<uint64_t>(data[b]) << (8 * b);
      }
      *number = static_cast<int64_t>(bits);
      return true;
    }
    case kRegDword:
    case kRegBinary:
    case kRegDwordBigEndian:
      *number = RegistryIntegerFromData(type, data, size, 0);
      return true;
    default:
      return false;
  }
}

bool REGW::ReadNumberW(std::u16string_view name, int64_t* number) {
  uint32_t type = 0, size = 0;
  std::vector<unsigned char> data;
  return QueryData(name, &type, &data, &size) &&
         RegistryNumberFromData(type, data.data(), size, number);
}

bool REGW::WriteStringW(std::u16string_view name, std::u16string_view text) {
  if (!key_.IsOpen()) {
    ShowRegistryGuard(kWriteStringWithoutKey, regwJapanese);
    return false;
  }
  std::string bytes;
  bytes.reserve(2 * (text.size() + 1));
  for (char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  bytes.append(2, '\0');
  return RegistrySetValue(key_.get(), name, kRegSz, bytes) == kRegOk;
}

bool REGW::WriteIntegerW(std::u16string_view name, int32_t value) {
  if (!key_.IsOpen()) {
    ShowRegistryGuard(kWriteIntegerWithoutKey, regwJapanese);
    return false;
  }
  auto pattern = static_cast<uint32_t>(value);
  std::string bytes;
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(pattern >> shift));
  return RegistrySetValue(key_.get(), name, kRegDword, bytes) == kRegOk;
}
