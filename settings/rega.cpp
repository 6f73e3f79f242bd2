#include "settings/rega.h"

#include <string>

#include "settings/registry_guard.h"

namespace {

bool regaJapanese = true;

constexpr GuardText kAutoClose{
    u"レジストリを自動クローズしました。\nこのメッセージが表示されたら、現在編集している/していたダイアログの名前を、メッセージの内容と共に正確に作者まで報告して下さい。",
    u"An error has occurred in REGA::~REGA()."};
constexpr GuardText kDoubleOpen{
    u"レジストリキーを多重オープンしようとしたので保護しました(REGA::OpenKey())。\nこのメッセージが表示されたら、現在編集している/していたダイアログの名前を、メッセージの内容と共に正確に作者まで報告して下さい。",
    u"An error has occurred in REGA::OpenKey()."};
constexpr GuardText kWriteStringWithoutKey{
    u"開かれていないキーを対象に WriteStringA が行われようとしたので保護します。\nこのメッセージが表示されたら、現在編集している/していたダイアログの名前を、メッセージの内容と共に正確に作者まで報告して下さい。",
    u"An error has occurred in WriteStringA."};
constexpr GuardText kWriteIntegerWithoutKey{
    u"開かれていないキーを対象に WriteIntegerA が行われようとしたので保護します。\nこのメッセージが表示されたら、現在編集している/していたダイアログの名前を、メッセージの内容と共に正確に作者まで報告して下さい。",
    u"An error has occurred in WriteIntegerA."};
constexpr GuardText kDoubleClose{
    u"レジストリを多重クローズしようとしたので保護しました(REGA::CloseKey)。\nこのメッセージが表示されたら、現在編集している/していたダイアログの名前を、メッセージの内容と共に正確に作者まで報告して下さい。",
    u"An error has occurred in REGA::CloseKey()."};

}  // namespace

void REGA::SetJapanese(bool japanese) { regaJapanese = japanese; }
bool REGA::Japanese() { return regaJapanese; }

REGA::~REGA() {
  if (key_.IsOpen()) {
    CloseKey();
    ShowRegistryGuard(kAutoClose, regaJapanese);
  }
}

bool REGA::OpenKey() {
  if (key_.IsOpen()) {
    CloseKey();
    ShowRegistryGuard(kDoubleOpen, regaJapanese);
  }
  return key_.Open(RegistryAccess::kFull, true) == kRegOk;
}

bool REGA::CloseKey() {
  if (!key_.IsOpen()) {
    ShowRegistryGuard(kDoubleClose, regaJapanese);
    return false;
  }
  return key_.Close() == kRegOk;
}

bool REGA::WriteStringA(std::string_view name, std::string_view text) {
  if (!key_.IsOpen()) {
    ShowRegistryGuard(kWriteStringWithoutKey, regaJapanese);
    return false;
  }
  std::string bytes(text);
  bytes.push_back('\0');
  return RegistrySetValueNarrow(key_.get(), name, kRegSz, bytes) == kRegOk;
}

bool REGA::WriteIntegerA(std::string_view name, int32_t value) {
  if (!key_.IsOpen()) {
    ShowRegistryGuard(kWriteIntegerWithoutKey, regaJapanese);
    return false;
  }
  auto pattern = static_cast<uint32_t>(value);
  std::string bytes;
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(pattern >> shift));
  return RegistrySetValueNarrow(key_.get(), name, kRegDword, bytes) == kRegOk;
}
