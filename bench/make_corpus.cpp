// Writes the benchmark's input files. Everything comes from a fixed-seed generator, so
// the same arguments give the same bytes on every machine.
//
//   make_corpus text OUT MEGABYTES [--crlf] [--ascii] [--token WORD --hits N]
//   make_corpus tree DIR FOLDERS FILES_PER_FOLDER
//
// text: Shift-JIS lines of ASCII words, hiragana and kanji, with TABs (leading and
// inside), U+3000 (81 40) and trailing spaces, TABs and U+3000 on some lines; LF endings
// unless --crlf. --ascii uses ASCII words only. --token puts WORD at the start of lines
// (followed by a space) exactly N times in all, spread evenly; the rest of the text never
// holds an upper-case ASCII letter or '@', so WORD (upper case) matches exactly N times
// whether it is searched as bytes or as characters.
// tree: FOLDERS folders d000.. each with FILES_PER_FOLDER Shift-JIS LF files f000.txt..
// of 1 to 8 kB.
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed ? seed : 1) {}
  uint64_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return state_;
  }
  // Uniform in [0, n).
  uint32_t Below(uint32_t n) { return static_cast<uint32_t>((Next() >> 16) % n); }
  bool Chance(uint32_t percent) { return Below(100) < percent; }

 private:
  uint64_t state_;
};

struct TextStyle {
  bool crlf = false;
  bool ascii = false;
};

void AppendWord(Random& random, std::string& out) {
  const uint32_t length = 2 + random.Below(7);
  for (uint32_t i = 0; i < length; ++i) out += static_cast<char>('a' + random.Below(26));
}

// Hiragana 82 9F..82 F1 and level-1 kanji with lead bytes 89..97 (JIS rows 17..46, all
// assigned), so every pair decodes in CP932 and round-trips.
void AppendJapanese(Random& random, std::string& out) {
  const uint32_t count = 2 + random.Below(7);
  for (uint32_t i = 0; i < count; ++i) {
    if (random.Chance(45)) {
      out += '\x82';
      out += static_cast<char>(0x9F + random.Below(0xF1 - 0x9F + 1));
    } else {
      out += static_cast<char>(0x89 + random.Below(0x97 - 0x89 + 1));
      uint32_t trail = random.Below(188);  // 40..7E, 80..FC
      out += static_cast<char>(trail < 63 ? 0x40 + trail : 0x80 + (trail - 63));
    }
  }
}

void AppendLine(Random& random, const TextStyle& style, std::string& out) {
  if (random.Chance(4)) {
    out += style.crlf ? "\r\n" : "\n";
    return;
  }
  if (random.Chance(30)) out.append(1 + random.Below(2), '\t');
  const size_t start = out.size();
  const size_t length = 10 + random.Below(80);
  while (out.size() - start < length) {
    const uint32_t pick = random.Below(100);
    if (style.ascii || pick < 50) {
      AppendWord(random, out);
    } else if (pick < 90) {
      AppendJapanese(random, out);
    } else if (pick < 95) {
      out += "\x81\x41";  // 、
    } else {
      out += "\x81\x40";  // U+3000
    }
    out += random.Chance(10) ? '\t' : ' ';
  }
  out.pop_back();  // the separator after the last word
  if (random.Chance(30)) {
    const uint32_t blanks = 1 + random.Below(4);
    for (uint32_t i = 0; i < blanks; ++i) out += random.Chance(30) ? '\t' : ' ';
  }
  if (!style.ascii && random.Chance(5)) out += "\x81\x40 ";
  out += style.crlf ? "\r\n" : "\n";
}

bool WriteFile(const std::string& path, std::string_view data) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    std::fprintf(stderr, "make_corpus: cannot create %s: %s\n", path.c_str(), std::strerror(errno));
    return false;
  }
  const bool ok = std::fwrite(data.data(), 1, data.size(), file) == data.size();
  if (std::fclose(file) != 0 || !ok) {
    std::fprintf(stderr, "make_corpus: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

int MakeText(int argc, char** argv) {
  if (argc < 4) return 2;
  const std::string out = argv[2];
  const uint64_t target = std::strtoull(argv[3], nullptr, 10) << 20;
  TextStyle style;
  std::string token;
  uint64_t hits = 0;
  for (int i = 4; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--crlf") {
      style.crlf = true;
    } else if (arg == "--ascii") {
      style.ascii = true;
    } else if (arg == "--token" && i + 1 < argc) {
      token = argv[++i];
    } else if (arg == "--hits" && i + 1 < argc) {
      hits = std::strtoull(argv[++i], nullptr, 10);
    } else {
      return 2;
    }
  }
  if (target == 0 || (hits != 0 && token.empty())) return 2;

  // The same seed for the LF and CRLF variants, so they hold the same lines.
  Random random(0x9E3779B97F4A7C15ull ^ (target >> 20) ^ (style.ascii ? 0xA5C1 : 0));
  const uint64_t tokenBytes = hits * (token.size() + 1);
  const uint64_t baseTarget = target > tokenBytes ? target - tokenBytes : target / 2;
  std::string text;
  text.reserve(static_cast<size_t>(target + 4096));
  std::vector<size_t> lineStarts;
  while (text.size() < baseTarget) {
    lineStarts.push_back(text.size());
    AppendLine(random, style, text);
  }
  if (hits == 0) return WriteFile(out, text) ? 0 : 1;

  // Line i gets floor((i+1)N/L) - floor(iN/L) tokens: N in all, evenly spread.
  const uint64_t lines = lineStarts.size();
  std::string result;
  result.reserve(text.size() + static_cast<size_t>(tokenBytes));
  for (uint64_t i = 0; i < lines; ++i) {
    const uint64_t count = (i + 1) * hits / lines - i * hits / lines;
    for (uint64_t k = 0; k < count; ++k) {
      result += token;
      result += ' ';
    }
    const size_t begin = lineStarts[i];
    const size_t end = i + 1 < lines ? lineStarts[i + 1] : text.size();
    result.append(text, begin, end - begin);
  }
  return WriteFile(out, result) ? 0 : 1;
}

int MakeTree(int argc, char** argv) {
  if (argc != 5) return 2;
  const std::string root = argv[2];
  const int folders = std::atoi(argv[3]);
  const int files = std::atoi(argv[4]);
  if (folders <= 0 || files <= 0) return 2;
  if (mkdir(root.c_str(), 0755) != 0 && errno != EEXIST) {
    std::fprintf(stderr, "make_corpus: cannot create %s: %s\n", root.c_str(), std::strerror(errno));
    return 1;
  }
  Random random(0x1234567887654321ull);
  const TextStyle style;
  char name[64];
  for (int folder = 0; folder < folders; ++folder) {
    std::snprintf(name, sizeof name, "/d%03d", folder);
    const std::string dir = root + name;
    if (mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) {
      std::fprintf(stderr, "make_corpus: cannot create %s: %s\n", dir.c_str(), std::strerror(errno));
      return 1;
    }
    for (int file = 0; file < files; ++file) {
      const size_t size = 1024 + random.Below(7 * 1024 + 1);
      std::string text;
      while (text.size() < size) AppendLine(random, style, text);
      std::snprintf(name, sizeof name, "/f%03d.txt", file);
      if (!WriteFile(dir + name, text)) return 1;
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int status = 2;
  if (argc >= 2 && std::strcmp(argv[1], "text") == 0) status = MakeText(argc, argv);
  if (argc >= 2 && std::strcmp(argv[1], "tree") == 0) status = MakeTree(argc, argv);
  if (status == 2) {
    std::fprintf(stderr,
                 "usage: make_corpus text OUT MEGABYTES [--crlf] [--ascii] [--token WORD --hits N]\n"
                 "       make_corpus tree DIR FOLDERS FILES_PER_FOLDER\n");
  }
  return status;
}
