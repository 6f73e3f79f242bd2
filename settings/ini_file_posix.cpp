#include "settings/ini_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include "core/ascii_case.h"
#include "platform/file_system.h"
#include "settings/settings_file_text.h"
#include "settings/store_file.h"

namespace {

enum class LineKind { kOther, kSection, kKey };

struct IniLine {
  LineKind kind = LineKind::kOther;
  std::u16string_view name;   // section or key name, trimmed
  std::u16string_view value;  // key value, trimmed
};

IniLine Classify(std::u16string_view body) {
  std::u16string_view text = TrimAsciiSpace(body);
  IniLine line;
  if (text.empty() || text[0] == u';') return line;
  if (text[0] == u'[') {
    size_t close = text.find(u']');
    line.kind = LineKind::kSection;
    line.name = TrimAsciiSpace(text.substr(1, close == std::u16string_view::npos ? close : close - 1));
    return line;
  }
  size_t equals = text.find(u'=');
  if (equals == std::u16string_view::npos) return line;
  line.name = TrimAsciiSpace(text.substr(0, equals));
  if (line.name.empty()) return line;
  line.kind = LineKind::kKey;
  line.value = TrimAsciiSpace(text.substr(equals + 1));
  return line;
}

// The file's text; nullopt when it does not exist. *unreadable is set when it exists but
// cannot be read, which a write must not take for a missing file.
std::optional<WideText> LoadIni(const NativePath& path, bool* unreadable) {
  *unreadable = false;
  std::string bytes;
  ReadFileResult result =
      RealFileSystem().ReadWholeFile(path, &bytes, [](uint64_t size) { return size; });
  if (result == ReadFileResult::kOk) return DecodeSettingsFile(bytes);
  struct stat st;
  *unreadable = stat(path.c_str(), &st) == 0 || errno != ENOENT;
  return std::nullopt;
}

struct KeyPlace {
  size_t firstSection = std::string::npos;  // header line of the first matching section
  size_t keyLine = std::string::npos;       // first line of the key in a matching section
};

KeyPlace FindKey(const std::vector<TextLine>& lines, std::u16string_view section,
                 std::u16string_view key) {
  KeyPlace place;
  bool inSection = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    IniLine line = Classify(lines[i].body);
    if (line.kind == LineKind::kSection) {
      inSection = EqualsIgnoringAsciiCase(line.name, section);
      if (inSection && place.firstSection == std::string::npos) place.firstSection = i;
    } else if (inSection && line.kind == LineKind::kKey && EqualsIgnoringAsciiCase(line.name, key)) {
      place.keyLine = i;
      return place;
    }
  }
  return place;
}

std::optional<WideText> FindValue(const NativePath& path, std::u16string_view section,
                                  std::u16string_view key) {
  bool unreadable;
  std::optional<WideText> text = LoadIni(path, &unreadable);
  if (!text) return std::nullopt;
  std::vector<TextLine> lines = SplitLines(*text);
  KeyPlace place = FindKey(lines, section, key);
  if (place.keyLine == std::string::npos) return std::nullopt;
  std::u16string_view value = Classify(lines[place.keyLine].body).value;
  if (value.size() >= 2 && value.front() == value.back() &&
      (value.front() == u'"' || value.front() == u'\'')) {
    value = value.substr(1, value.size() - 2);
  }
  return WideText(value.substr(0, kProfileTextLimit));
}

}  // namespace

WideText ReadIniString(const NativePath& path, std::u16string_view section,
                          std::u16string_view key, std::u16string_view defaultValue) {
  std::optional<WideText> value = FindValue(path, section, key);
  if (!value) return WideText(defaultValue.substr(0, kProfileTextLimit));
  return *value;
}

int32_t ReadIniInt(const NativePath& path, std::u16string_view section,
                      std::u16string_view key, int32_t defaultValue) {
  std::optional<WideText> value = FindValue(path, section, key);
  if (!value || value->empty()) return defaultValue;
  return static_cast<int32_t>(ParseProfileNumber(*value));
}

bool WriteIniString(const NativePath& path, std::u16string_view section,
                        std::u16string_view key, std::u16string_view text) {
  if (HasLineBreak(text) || HasLineBreak(key) || HasLineBreak(section)) return false;
  bool unreadable;
  std::optional<WideText> content = LoadIni(path, &unreadable);
  if (unreadable) return false;  // never rebuilt from nothing
  std::vector<TextLine> lines = SplitLines(content ? *content : WideText());
  std::u16string lineEnd = LineEndOf(lines);
  KeyPlace place = FindKey(lines, section, key);

  if (place.keyLine != std::string::npos) {
    TextLine& line = lines[place.keyLine];
    line.body = WideText(Classify(line.body).name) + u"=" + WideText(text);
  } else {
    TextLine keyLine{WideText(key) + u"=" + WideText(text), lineEnd};
    if (place.firstSection != std::string::npos) {
      // After the section's last line that is not blank.
      size_t insertAt = place.firstSection + 1;
      for (size_t i = place.firstSection + 1; i < lines.size(); ++i) {
        if (Classify(lines[i].body).kind == LineKind::kSection) break;
        if (!TrimAsciiSpace(lines[i].body).empty()) insertAt = i + 1;
      }
      if (lines[insertAt - 1].end.empty()) lines[insertAt - 1].end = lineEnd;
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), keyLine);
    } else {
      if (!lines.empty() && lines.back().end.empty()) lines.back().end = lineEnd;
      lines.push_back({u"[" + WideText(section) + u"]", lineEnd});
      lines.push_back(keyLine);
    }
  }
  const WideText joined = JoinLines(lines);
  // A value written as it already stands leaves the file alone: a run with the settings
  // of the last one then rewrites nothing.
  if (content && joined == *content) return true;
  uint32_t error = 0;
  return RealFileSystem().ReplaceFileContents(path, {}, EncodeUtf16LeWithMark(joined), &error) ==
         ReplaceResult::kOk;
}

bool WriteIniStringNarrow(const NativePath& path, std::string_view section,
                              std::string_view key, std::string_view ansiText) {
  // The narrow code page of this system is UTF-8.
  return WriteIniString(path, WideFromUtf8(section), WideFromUtf8(key),
                            WideFromUtf8(ansiText));
}

bool CreateIniFileIfMissing(const NativePath& path) {
  static constexpr char kEmptyFile[] = "\xFF\xFE\x0D\x00\x0A\x00";
  uint32_t error = 0;
  switch (ProbeStoreFile(path, &error)) {
    case StoreFileState::kNotAFile:
      // A FIFO or a folder is no INI file; opening it could wait for ever.
      return false;
    case StoreFileState::kCannotOpen: {
      struct stat st;
      return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    }
    case StoreFileState::kReadable: {
      // An empty file would be taken for ANSI text; it gets the mark like a new one.
      int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
      if (fd < 0) return true;
      struct stat st;
      bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
      bool written = !regular || st.st_size != 0 || write(fd, kEmptyFile, 6) == 6;
      return close(fd) == 0 && regular && written;
    }
    case StoreFileState::kMissing:
      break;
  }
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return errno == EEXIST;
  bool written = write(fd, kEmptyFile, 6) == 6;
  if (close(fd) != 0) written = false;
  if (!written) unlink(path.c_str());
  return written;
}

NativePath DefaultIniFilePath() { return "./quillon.ini"; }
