#include "settings/registry.h"

#include <errno.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <list>
#include <memory>
#include <optional>
#include <vector>

#include "core/ascii_case.h"
#include "platform/directory.h"
#include "platform/file_system.h"
#include "settings/settings_file_text.h"

namespace {

constexpr char16_t kFileHeader[] = u"Windows Registry Editor Version 5.00";
constexpr char16_t kOldFileHeader[] = u"REGEDIT4";

WideText SectionName() { return WideText(u"HKEY_CURRENT_USER\\") + kSettingsKeyPath; }

// One logical entry of the file: a section header, a value (with the continuation lines
// of a long hex list) or any other line.
struct Entry {
  enum Kind { kSection, kValue, kOther } kind = kOther;
  size_t first = 0, last = 0;  // line range
  bool inOurSection = false;   // for values: below a header of the settings key
  WideText name;               // value name ("" for "@")
  WideText data;               // everything after "=", continuation lines joined
};

struct Hive {
  std::vector<TextLine> lines;
  std::vector<Entry> entries;
};

size_t SkipSpace(std::u16string_view text, size_t i) {
  while (i < text.size() && IsAsciiSpace(text[i])) ++i;
  return i;
}

// A quoted name or text with \\ and \" escapes, starting at the opening quote; the
// position after the closing quote, or npos when it is missing.
size_t ParseQuoted(std::u16string_view text, size_t i, WideText* out) {
  out->clear();
  for (++i; i < text.size(); ++i) {
    if (text[i] == u'\\' && i + 1 < text.size()) {
      out->push_back(text[++i]);
    } else if (text[i] == u'"') {
      return i + 1;
    } else {
      out->push_back(text[i]);
    }
  }
  return std::u16string_view::npos;
}

std::vector<Entry> ParseEntries(const std::vector<TextLine>& lines) {
  std::vector<Entry> entries;
  bool inOurSection = false;
  const WideText ours = SectionName();
  for (size_t i = 0; i < lines.size(); ++i) {
    std::u16string_view body = lines[i].body;
    Entry entry;
    entry.first = entry.last = i;
    size_t start = SkipSpace(body, 0);
    if (start < body.size() && body[start] == u'[') {
      size_t close = body.rfind(u']');
      std::u16string_view name = body.substr(
          start + 1, close == std::u16string_view::npos || close < start ? std::u16string_view::npos
                                                                         : close - start - 1);
      entry.kind = Entry::kSection;
      entry.name = WideText(TrimAsciiSpace(name));
      inOurSection = EqualsIgnoringAsciiCase(entry.name, ours);
    } else if (start < body.size() && (body[start] == u'"' || body[start] == u'@')) {
      size_t after = start + 1;
      if (body[start] == u'"') after = ParseQuoted(body, start, &entry.name);
      if (after != std::u16string_view::npos) after = SkipSpace(body, after);
      if (after != std::u16string_view::npos && after < body.size() && body[after] == u'=') {
        entry.kind = Entry::kValue;
        entry.inOurSection = inOurSection;
        WideText data(TrimAsciiSpace(body.substr(after + 1)));
        bool hexList = data.size() >= 3 && EqualsIgnoringAsciiCase(data.substr(0, 3), u"hex");
        // A long hex list goes on over lines that end in a backslash.
        while (hexList && !data.empty() && data.back() == u'\\' && entry.last + 1 < lines.size()) {
          data.pop_back();
          data += TrimAsciiSpace(lines[++entry.last].body);
        }
        entry.data = std::move(data);
        i = entry.last;
      }
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

bool ParseHexNumber(std::u16string_view text, size_t maxDigits, uint32_t* number) {
  text = TrimAsciiSpace(text);
  if (text.empty() || text.size() > maxDigits) return false;
  *number = 0;
  for (char16_t c : text) {
    int digit = HexDigit(c);
    if (digit < 0) return false;
    *number = *number << 4 | static_cast<uint32_t>(digit);
  }
  return true;
}

bool ParseByteList(std::u16string_view text, std::string* bytes) {
  bytes->clear();
  if (TrimAsciiSpace(text).empty()) return true;
  size_t start = 0;
  for (;;) {
    size_t comma = text.find(u',', start);
    std::u16string_view token = text.substr(start, comma == std::u16string_view::npos
                                                       ? std::u16string_view::npos
                                                       : comma - start);
    uint32_t byte;
    if (!ParseHexNumber(token, 2, &byte)) {
      // A list may end in a comma before a line that was lost; nothing else is tolerated.
      return comma == std::u16string_view::npos && TrimAsciiSpace(token).empty();
    }
    bytes->push_back(static_cast<char>(byte));
    if (comma == std::u16string_view::npos) return true;
    start = comma + 1;
  }
}

struct Value {
  uint32_t type = kRegNone;
  std::string bytes;
};

enum class DataState { kValue, kDeleted, kDamaged };

DataState ParseData(std::u16string_view data, Value* value) {
  if (data == u"-") return DataState::kDeleted;
  if (!data.empty() && data[0] == u'"') {
    WideText text;
    size_t end = ParseQuoted(data, 0, &text);
    if (end == std::u16string_view::npos || SkipSpace(data, end) != data.size()) {
      return DataState::kDamaged;
    }
    value->type = kRegSz;
    value->bytes = Utf16LeBytes(text) + std::string(2, '\0');
    return DataState::kValue;
  }
  if (data.size() >= 6 && EqualsIgnoringAsciiCase(data.substr(0, 6), u"dword:")) {
    uint32_t number;
    if (!ParseHexNumber(data.substr(6), 8, &number)) return DataState::kDamaged;
    value->type = kRegDword;
    value->bytes.clear();
    for (int shift = 0; shift < 32; shift += 8) {
      value->bytes.push_back(static_cast<char>(number >> shift & 0xFF));
    }
    return DataState::kValue;
  }
  if (data.size() >= 3 && EqualsIgnoringAsciiCase(data.substr(0, 3), u"hex")) {
    size_t colon = data.find(u':');
    if (colon == std::u16string_view::npos) return DataState::kDamaged;
    std::u16string_view kind = data.substr(3, colon - 3);
    uint32_t type = kRegBinary;
    if (!kind.empty()) {
      if (kind.size() < 3 || kind.front() != u'(' || kind.back() != u')' ||
          !ParseHexNumber(kind.substr(1, kind.size() - 2), 8, &type)) {
        return DataState::kDamaged;
      }
    }
    if (!ParseByteList(data.substr(colon + 1), &value->bytes)) return DataState::kDamaged;
    value->type = type;
    return DataState::kValue;
  }
  return DataState::kDamaged;
}

// The value as the last readable line of the settings key sets it.
std::optional<Value> FindValue(const Hive& hive, std::u16string_view name) {
  std::optional<Value> found;
  for (const Entry& entry : hive.entries) {
    if (entry.kind != Entry::kValue || !entry.inOurSection ||
        !EqualsIgnoringAsciiCase(entry.name, name)) {
      continue;
    }
    Value value;
    switch (ParseData(entry.data, &value)) {
      case DataState::kValue: found = std::move(value); break;
      case DataState::kDeleted: found.reset(); break;
      case DataState::kDamaged: break;  // what was read before stands
    }
  }
  return found;
}

bool HasOurSection(const Hive& hive) {
  for (const Entry& entry : hive.entries) {
    if (entry.kind == Entry::kSection && EqualsIgnoringAsciiCase(entry.name, SectionName())) {
      return true;
    }
  }
  return false;
}

// Reads the file; a missing file is an empty hive. Anything else that keeps the file
// from being read is an error, so that a write never starts over from nothing.
int32_t LoadHive(Hive* hive) {
  hive->lines.clear();
  hive->entries.clear();
  std::string bytes;
  NativePath path = RegistryHivePath();
  ReadFileResult result =
      RealFileSystem().ReadWholeFile(path, &bytes, [](uint64_t size) { return size; });
  if (result != ReadFileResult::kOk) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0 && errno == ENOENT) return kRegOk;
    return kRegAccessDenied;
  }
  hive->lines = SplitLines(DecodeSettingsFile(bytes));
  hive->entries = ParseEntries(hive->lines);
  return kRegOk;
}

void AppendHex(std::u16string* line, std::vector<std::u16string>* out, const std::string& bytes) {
  static constexpr char16_t kDigits[] = u"0123456789abcdef";
  for (size_t i = 0; i < bytes.size(); ++i) {
    auto byte = static_cast<unsigned char>(bytes[i]);
    line->push_back(kDigits[byte >> 4]);
    line->push_back(kDigits[byte & 15]);
    if (i + 1 == bytes.size()) break;
    line->push_back(u',');
    // Lines are wrapped the way the registry editor wraps them.
    if (line->size() > 76) {
      line->push_back(u'\\');
      out->push_back(std::move(*line));
      *line = u"  ";
    }
  }
}

std::u16string Quote(std::u16string_view text) {
  std::u16string quoted = u"\"";
  for (char16_t c : text) {
    if (c == u'\\' || c == u'"') quoted.push_back(u'\\');
    quoted.push_back(c);
  }
  quoted.push_back(u'"');
  return quoted;
}

// A text value fits the "..." form when it is whole units ending in its only NUL and
// holds nothing that would break the line.
bool FitsQuotedForm(const Value& value) {
  if (value.type != kRegSz || value.bytes.size() < 2 || value.bytes.size() % 2 != 0) return false;
  size_t units = value.bytes.size() / 2;
  for (size_t i = 0; i < units; ++i) {
    char16_t c = static_cast<char16_t>(static_cast<unsigned char>(value.bytes[2 * i]) |
                                       static_cast<unsigned char>(value.bytes[2 * i + 1]) << 8);
    if ((c == 0) != (i + 1 == units)) return false;
    if (c != 0 && c < 0x20) return false;
  }
  return true;
}

std::vector<std::u16string> ValueLines(std::u16string_view name, const Value& value) {
  std::vector<std::u16string> out;
  std::u16string line = name.empty() ? std::u16string(u"@=") : Quote(name) + u"=";
  if (FitsQuotedForm(value)) {
    std::u16string text;
    for (size_t i = 0; i + 2 < value.bytes.size(); i += 2) {
      text.push_back(static_cast<char16_t>(static_cast<unsigned char>(value.bytes[i]) |
                                           static_cast<unsigned char>(value.bytes[i + 1]) << 8));
    }
    line += Quote(text);
  } else if (value.type == kRegDword && value.bytes.size() == 4) {
    char buffer[16];
    uint32_t number = 0;
    for (int i = 3; i >= 0; --i) number = number << 8 | static_cast<unsigned char>(value.bytes[i]);
    snprintf(buffer, sizeof buffer, "dword:%08x", number);
    line += WideFromUtf8(buffer);
  } else {
    char buffer[24];
    if (value.type == kRegBinary) snprintf(buffer, sizeof buffer, "hex:");
    else snprintf(buffer, sizeof buffer, "hex(%x):", value.type);
    line += WideFromUtf8(buffer);
    AppendHex(&line, &out, value.bytes);
  }
  out.push_back(std::move(line));
  return out;
}

bool IsFileHeader(std::u16string_view body) {
  std::u16string_view text = TrimAsciiSpace(body);
  return text == kFileHeader || text == kOldFileHeader;
}

bool IsBlank(const TextLine& line) { return TrimAsciiSpace(line.body).empty(); }

void EnsureFileHeader(std::vector<TextLine>* lines, const std::u16string& lineEnd) {
  for (const TextLine& line : *lines) {
    if (IsBlank(line)) continue;
    if (IsFileHeader(line.body)) return;
    break;
  }
  lines->insert(lines->begin(), {{kFileHeader, lineEnd}, {u"", lineEnd}});
}

void EnsureLastLineEnded(std::vector<TextLine>* lines, const std::u16string& lineEnd) {
  if (!lines->empty() && lines->back().end.empty()) lines->back().end = lineEnd;
}

// Adds the section of the settings key at the end; returns the line after its header.
size_t AppendOurSection(std::vector<TextLine>* lines, const std::u16string& lineEnd) {
  EnsureLastLineEnded(lines, lineEnd);
  if (!lines->empty() && !IsBlank(lines->back())) lines->push_back({u"", lineEnd});
  lines->push_back({u"[" + SectionName() + u"]", lineEnd});
  size_t after = lines->size();
  lines->push_back({u"", lineEnd});
  return after;
}

int32_t SaveHive(const std::vector<TextLine>& lines) {
  NativePath path = RegistryHivePath();
  if (!MakeParentFolders(path, 0700)) return kRegAccessDenied;
  uint32_t error = 0;
  ReplaceResult result =
      RealFileSystem().ReplaceFileContents(path, {}, EncodeUtf16LeWithMark(JoinLines(lines)), &error);
  return result == ReplaceResult::kOk ? kRegOk : kRegCannotWrite;
}

// The parsed file as the open keys (and a batch) have it, with whether a write changed
// it since it was read or written.
struct HiveCopy {
  Hive hive;
  bool changed = false;
};

// The copy the keys open now share; it goes when the last of them closes, unless a
// batch holds it.
std::weak_ptr<HiveCopy>& SharedCopy() {
  static std::weak_ptr<HiveCopy> copy;
  return copy;
}

struct BatchState {
  bool active = false;
  std::shared_ptr<HiveCopy> copy;  // from the first key opened in the batch
};

BatchState& Batch() {
  static BatchState batch;
  return batch;
}

}  // namespace

struct RegistryKeyObject {
  bool writable = false;
  std::shared_ptr<HiveCopy> copy;
};

namespace {

// The open keys; a key is the address of its element, which stays put until it closes.
std::list<RegistryKeyObject>& OpenKeys() {
  static std::list<RegistryKeyObject> keys;
  return keys;
}

std::list<RegistryKeyObject>::iterator FindKey(RegistryKey key) {
  std::list<RegistryKeyObject>& keys = OpenKeys();
  auto it = keys.begin();
  while (it != keys.end() && &*it != key) ++it;
  return it;
}

bool IsOpenKey(RegistryKey key) { return key && FindKey(key) != OpenKeys().end(); }

// Writes the copy when a write changed it and no batch holds it.
int32_t WriteUnlessBatched(HiveCopy& copy) {
  if (!copy.changed || (Batch().active && Batch().copy.get() == &copy)) return kRegOk;
  int32_t result = SaveHive(copy.hive.lines);
  if (result == kRegOk) copy.changed = false;
  return result;
}

int32_t Open(RegistryAccess access, bool create, RegistryKey* key) {
  *key = nullptr;
  std::shared_ptr<HiveCopy> copy = SharedCopy().lock();
  if (!copy) copy = Batch().copy;
  if (!copy) {
    copy = std::make_shared<HiveCopy>();
    int32_t result = LoadHive(&copy->hive);
    if (result != kRegOk) return result;
  }
  if (Batch().active) Batch().copy = copy;
  if (!HasOurSection(copy->hive)) {
    if (!create) return kRegFileNotFound;
    std::vector<TextLine>& lines = copy->hive.lines;
    std::u16string lineEnd = LineEndOf(lines);
    EnsureFileHeader(&lines, lineEnd);
    AppendOurSection(&lines, lineEnd);
    copy->hive.entries = ParseEntries(lines);
    copy->changed = true;
  }
  SharedCopy() = copy;
  // Outside a batch a new key is written at once, as the registry makes it.
  int32_t result = WriteUnlessBatched(*copy);
  if (result != kRegOk) return result;
  OpenKeys().push_back(RegistryKeyObject{access == RegistryAccess::kFull, std::move(copy)});
  *key = &OpenKeys().back();
  return kRegOk;
}

// Whether the line before position at ends a hex list that goes on to the next line: a
// line put there would be read as part of it.
bool ContinuesIntoNextLine(const Hive& hive, size_t at) {
  for (auto it = hive.entries.rbegin(); it != hive.entries.rend(); ++it) {
    if (it->last + 1 > at) continue;
    // Only a hex list goes on over its lines; it keeps the backslash when no line follows.
    return it->last + 1 == at && it->kind == Entry::kValue && it->data.size() >= 3 &&
           EqualsIgnoringAsciiCase(std::u16string_view(it->data).substr(0, 3), u"hex") &&
           it->data.back() == u'\\';
  }
  return false;
}

// Puts newLines in place of count lines from first, where an entry begins (or the file
// ends), and the entries they make in place of those the lines held. The new lines are
// values of the settings key.
void SpliceEntryLines(Hive* hive, size_t first, size_t count, std::vector<TextLine> newLines) {
  std::vector<Entry> added = ParseEntries(newLines);
  for (Entry& entry : added) {
    entry.first += first;
    entry.last += first;
    entry.inOurSection = entry.kind == Entry::kValue;
  }
  auto from = hive->entries.begin();
  while (from != hive->entries.end() && from->first < first) ++from;
  auto to = from;
  while (to != hive->entries.end() && to->first < first + count) ++to;
  const std::ptrdiff_t shift =
      static_cast<std::ptrdiff_t>(newLines.size()) - static_cast<std::ptrdiff_t>(count);
  for (auto it = to; it != hive->entries.end(); ++it) {
    it->first = static_cast<size_t>(static_cast<std::ptrdiff_t>(it->first) + shift);
    it->last = static_cast<size_t>(static_cast<std::ptrdiff_t>(it->last) + shift);
  }
  from = hive->entries.erase(from, to);
  hive->entries.insert(from, std::make_move_iterator(added.begin()),
                       std::make_move_iterator(added.end()));
  auto at = hive->lines.begin() + static_cast<std::ptrdiff_t>(first);
  at = hive->lines.erase(at, at + static_cast<std::ptrdiff_t>(count));
  hive->lines.insert(at, std::make_move_iterator(newLines.begin()),
                     std::make_move_iterator(newLines.end()));
}

bool SameLines(const std::vector<TextLine>& lines, size_t first, const std::vector<TextLine>& other) {
  if (first + other.size() > lines.size()) return false;
  for (size_t i = 0; i < other.size(); ++i) {
    if (lines[first + i].body != other[i].body || lines[first + i].end != other[i].end) {
      return false;
    }
  }
  return true;
}

// Sets the value in the parsed file; false when it already stood so.
bool SetValueInHive(Hive* hive, std::u16string_view name, const Value& value) {
  std::vector<TextLine>& lines = hive->lines;
  std::u16string lineEnd = LineEndOf(lines);
  std::vector<TextLine> newLines;
  for (std::u16string& line : ValueLines(name, value)) {
    newLines.push_back({std::move(line), lineEnd});
  }

  // The line that sets the value last is rewritten; otherwise the value goes after the
  // last line of the key's last section.
  const Entry* replaced = nullptr;
  const Entry* lastSection = nullptr;
  for (const Entry& entry : hive->entries) {
    if (entry.kind == Entry::kValue && entry.inOurSection &&
        EqualsIgnoringAsciiCase(entry.name, name)) {
      replaced = &entry;
    }
    if (entry.kind == Entry::kSection && EqualsIgnoringAsciiCase(entry.name, SectionName())) {
      lastSection = &entry;
    }
  }
  if (replaced) {
    size_t first = replaced->first;
    size_t count = replaced->last - replaced->first + 1;
    if (lines[replaced->last].end.empty()) newLines.back().end.clear();
    // A value set as it already stands leaves the file alone.
    if (count == newLines.size() && SameLines(lines, first, newLines)) return false;
    SpliceEntryLines(hive, first, count, std::move(newLines));
    return true;
  }
  if (!lastSection) {
    // No section to put it in (only a key opened before the section went away).
    EnsureFileHeader(&lines, lineEnd);
    size_t insertAt = AppendOurSection(&lines, lineEnd);
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), newLines.begin(),
                 newLines.end());
    hive->entries = ParseEntries(lines);
    return true;
  }
  // After the section's last entry that is not blank, never between the lines of one
  // entry. A hex list whose last line still ends in a backslash would take the next line
  // for its own: the value goes before it then, so that neither changes.
  size_t insertAt = lastSection->first + 1;
  for (const Entry* entry = lastSection + 1;
       entry != hive->entries.data() + hive->entries.size(); ++entry) {
    if (entry->kind == Entry::kSection) break;
    if (entry->kind == Entry::kOther && IsBlank(lines[entry->first])) continue;
    insertAt = entry->last + 1;
    if (entry->kind == Entry::kValue && !entry->data.empty() && entry->data.back() == u'\\' &&
        EqualsIgnoringAsciiCase(entry->data.substr(0, 3), u"hex")) {
      insertAt = entry->first;
    }
  }
  if (lines[insertAt - 1].end.empty()) lines[insertAt - 1].end = lineEnd;
  bool atEntryStart = insertAt == lines.size();
  for (const Entry& entry : hive->entries) atEntryStart |= entry.first == insertAt;
  if (atEntryStart && !ContinuesIntoNextLine(*hive, insertAt)) {
    SpliceEntryLines(hive, insertAt, 0, std::move(newLines));
  } else {
    // A damaged file whose lines would read otherwise around the new ones: read it anew.
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), newLines.begin(),
                 newLines.end());
    hive->entries = ParseEntries(lines);
  }
  return true;
}

}  // namespace

NativePath RegistryHivePath() {
  std::string base;
  const char* config = getenv("XDG_CONFIG_HOME");
  if (config && config[0] == '/') {
    base = config;
  } else {
    const char* home = getenv("HOME");
    if (!home || !home[0]) {
      const struct passwd* user = getpwuid(getuid());
      home = user ? user->pw_dir : "/tmp";
    }
    base = std::string(home) + "/.config";
  }
  return base + "/quillon/registry.reg";
}

int32_t RegistryOpenSettingsKey(RegistryAccess access, RegistryKey* key) {
  return Open(access, false, key);
}

int32_t RegistryCreateSettingsKey(RegistryKey* key) {
  return Open(RegistryAccess::kFull, true, key);
}

int32_t RegistryQueryValue(RegistryKey key, std::u16string_view name, uint32_t* type,
                           void* data, uint32_t* size) {
  if (!IsOpenKey(key)) return kRegInvalidHandle;
  std::optional<Value> value = FindValue(key->copy->hive, name);
  if (!value) return kRegFileNotFound;
  if (type) *type = value->type;
  uint32_t room = *size;
  *size = static_cast<uint32_t>(value->bytes.size());
  if (!data) return kRegOk;
  if (room < value->bytes.size()) return kRegMoreData;
  if (!value->bytes.empty()) std::memcpy(data, value->bytes.data(), value->bytes.size());
  return kRegOk;
}

int32_t RegistrySetValue(RegistryKey key, std::u16string_view name, uint32_t type,
                         std::string_view bytes) {
  if (!IsOpenKey(key)) return kRegInvalidHandle;
  if (!key->writable) return kRegAccessDenied;
  if (SetValueInHive(&key->copy->hive, name, Value{type, std::string(bytes)})) {
    key->copy->changed = true;
  }
  return kRegOk;
}

int32_t RegistrySetValueNarrow(RegistryKey key, std::string_view name, uint32_t type,
                               std::string_view bytes) {
  // The narrow code page of this system is UTF-8.
  if (type == kRegSz || type == kRegExpandSz || type == kRegMultiSz) {
    return RegistrySetValue(key, WideFromUtf8(name), type, Utf16LeBytes(WideFromUtf8(bytes)));
  }
  return RegistrySetValue(key, WideFromUtf8(name), type, bytes);
}

int32_t RegistryCloseKey(RegistryKey key) {
  if (!IsOpenKey(key)) return kRegInvalidHandle;
  auto it = FindKey(key);
  std::shared_ptr<HiveCopy> copy = std::move(it->copy);
  OpenKeys().erase(it);
  return WriteUnlessBatched(*copy);
}

RegistryBatch::RegistryBatch() {
  if (Batch().active) return;
  active_ = true;
  Batch().active = true;
  // Keys open already share their copy with the batch.
  Batch().copy = SharedCopy().lock();
}

RegistryBatch::~RegistryBatch() { Finish(); }

int32_t RegistryBatch::Finish() {
  if (!active_) return kRegOk;
  active_ = false;
  BatchState& batch = Batch();
  batch.active = false;
  std::shared_ptr<HiveCopy> copy = std::move(batch.copy);
  if (!copy) return kRegOk;
  return WriteUnlessBatched(*copy);
}
