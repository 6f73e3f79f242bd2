// Reads fuzzed bytes as a file under each catalogue encoding, detection and a few other
// code pages, takes the text through the transformations and writes it into memory.
// Beyond the sanitizers it checks what must hold for any input:
//   - a file read in small pieces decodes exactly as when read in one piece;
//   - a file that reads as UTF-8 or UTF-16 is written back byte for byte (strict
//     decoding: nothing that reads is altered or substituted on the way);
//   - each transformation reports a change exactly when it made one, and the ones that
//     normalise leave nothing to do on a second pass; a literal replaced by itself
//     leaves the text as it was;
//   - text written as UTF-8 or UTF-16 without substitutes reads back as the same text.
//
// Input: six bytes of parameters, then the file.
//   byte 0  input index 0..9 (taken modulo 10)
//   byte 1  the code page for index 9, from the list below
//   byte 2  piece size for reading in pieces (below 3: one piece)
//   byte 3  bits 0-1 line ending kind, bit 2 put a line ending in every n bytes,
//           bit 3 answer Yes when asked, bits 4-7 which transformations run
//   byte 4  n, and the TAB width
//   byte 5  output: 0 as read, 1..8 a catalogue index, else a code page from the list
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "core/encoding_catalogue.h"
#include "engine/binary_format.h"
#include "engine/engine_context.h"
#include "engine/read_text_file.h"
#include "engine/replace_text.h"
#include "engine/transformations.h"
#include "engine/write_text_file.h"
#include "fuzz/memory_file_system.h"

namespace {

constexpr uint32_t kOtherCodePages[] = {932,   65001, 1200,  1201, 1252,  20932, 50220, 51932,
                                        54936, 949,   28591, 437,  65000, 20290, 936,   0};

class QuietHost : public MessageHost {
 public:
  bool answerYes = false;
  void ReportMessage(std::u16string_view) override {}
  bool AbortRequested() override { return false; }
  int ShowMessageBox(std::u16string_view, std::u16string_view, uint32_t) override {
    return answerYes ? kAnswerYes : kAnswerNo;
  }
};

struct Read {
  ReadStatus status;
  WideText text;
  uint32_t codePage;
  uint32_t bom;
};

Read ReadWith(MemoryFileSystem& files, QuietHost& host, int16_t index, uint32_t typed,
              int16_t kind, uint32_t n) {
  EngineContext context;
  context.files = &files;
  context.host = &host;
  Read read{ReadOk, {}, typed, 0};
  read.status = ReadTextFile(context, "fuzz.txt", &read.text, index, &read.codePage, &read.bom,
                             kind, n);
  return read;
}

bool IsUnicodePage(uint32_t codePage) {
  return codePage == 65001 || codePage == 1200 || codePage == 1201;
}

// The bytes the reader drops before decoding: NUL bytes, or in UTF-16 the units that
// are zero.
bool HasNulUnits(std::string_view bytes, uint32_t codePage) {
  if (codePage != 1200 && codePage != 1201) return bytes.find('\0') != std::string_view::npos;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    if (bytes[i] == 0 && bytes[i + 1] == 0) return true;
  }
  return false;
}

void Fail(const char* what) {
  fprintf(stderr, "read_text_fuzz: %s\n", what);
  abort();
}

// Runs a transformation and checks its answer against the text; with normalises, also
// that a second pass finds nothing to do.
template <typename Step>
void Check(WideText& text, Step step, bool normalises, const char* name) {
  const WideText before = text;
  const bool changed = step(text);
  if (changed != (text != before)) Fail(name);
  if (normalises) {
    const WideText once = text;
    if (step(text) || text != once) Fail(name);
  }
}

void Transform(WideText& text, uint8_t flags, uint8_t width, int16_t kind) {
  if (flags & 0x10) {
    Check(text, [kind](WideText& t) { return UnifyLineEndings(t, kind); }, true, "line endings");
    Check(text, [](WideText& t) { return TrimLineEndWhiteSpace(t); }, true, "trim");
  }
  if (flags & 0x20) {
    Check(text, [](WideText& t) { return ReplaceFullWidthSpaces(t); }, true, "full-width 1");
    Check(text, [](WideText& t) { return SplitFullWidthSpaces(t); }, true, "full-width 2");
    Check(text, [](WideText& t) { return DeleteControlCodes(t); }, true, "delete controls");
  } else {
    Check(text, [](WideText& t) { return BlankControlCodes(t); }, true, "blank controls");
  }
  if (flags & 0x40) {
    const uint32_t columns = width % 16 + 1;
    Check(text, [columns](WideText& t) { return ExpandTabsToColumns(t, columns); }, true, "tabs");
    if (text.find(u'\t') != WideText::npos) Fail("tabs left");
  }
  if (flags & 0x80) {
    Check(text, [width, kind](WideText& t) { return InsertLineBreaks(t, width % 64 + 1, kind); },
          false, "line breaks");
    // A search for a piece of the text itself: replaced by itself nothing changes, and
    // then by something that holds it.
    if (text.size() >= 2) {
      const WideText search = text.substr(text.size() / 2, 1 + width % 3);
      const WideText before = text;
      ReplaceLiteral(text, search, search, false);
      if (text != before) Fail("a text replaced by itself changed");
      ReplaceLiteral(text, search, search + u"x" + search, (width & 1) != 0);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 6) return 0;
  const int16_t index = static_cast<int16_t>(data[0] % kEncodingCount);
  const uint32_t typed = kOtherCodePages[data[1] % std::size(kOtherCodePages)];
  // Never below 3 bytes: the reader looks for a byte-order mark in the first piece, and
  // its own pieces are far longer.
  const size_t piece = data[2] % 32 < 3 ? 0 : data[2] % 32;
  const uint8_t flags = data[3];
  const int16_t kind = static_cast<int16_t>((flags & 3) % 3);
  const uint32_t n = (flags & 4) ? data[4] % 40 + 1 : 0;
  const uint8_t output = data[5];

  MemoryFileSystem files;
  files.content.assign(reinterpret_cast<const char*>(data) + 6, size - 6);
  QuietHost host;
  host.answerYes = (flags & 8) != 0;

  files.pieceBytes = piece;
  Read read = ReadWith(files, host, index, typed, kind, n);
  // The reader's own pieces (256 kB) always hold a binary format's signature whole; the
  // small pieces tried here may cut one, so such a file is not compared.
  if (n == 0 && piece != 0 && !HasBinarySignature(files.content)) {
    files.pieceBytes = 0;
    const Read whole = ReadWith(files, host, index, typed, kind, n);
    if (whole.status != read.status) Fail("pieces: status");
    if (read.status == ReadOk &&
        (whole.text != read.text || whole.codePage != read.codePage || whole.bom != read.bom)) {
      Fail("pieces: text");
    }
  }
  if (read.status != ReadOk) return 0;

  EngineContext context;
  context.files = &files;
  context.host = &host;
  std::optional<WideText> title, detail;

  if (n == 0 && IsUnicodePage(read.codePage) && !HasNulUnits(files.content, read.codePage)) {
    if (!WriteTextFile(context, "fuzz.txt", read.text, read.codePage, read.bom, &title, &detail) ||
        title || files.written != files.content) {
      Fail("UTF-8/UTF-16 file not written back as read");
    }
  }

  Transform(read.text, flags, data[4], kind);

  uint32_t codePage = read.codePage;
  if (output != 0) {
    codePage = output <= 8 ? CatalogueCodePage(output)
                           : kOtherCodePages[output % std::size(kOtherCodePages)];
  }
  if (codePage == 0) codePage = 932;
  title.reset();
  detail.reset();
  const WideText text = read.text;
  const bool written =
      WriteTextFile(context, "fuzz.txt", std::move(read.text), codePage, read.bom, &title, &detail);
  // Written bytes that begin like a byte-order mark are read by that mark.
  const std::string_view out = files.written;
  const bool startsLikeMark = out.starts_with("\xEF\xBB\xBF") || out.starts_with("\xFF\xFE") ||
                              out.starts_with("\xFE\xFF");
  if (written && !title && IsUnicodePage(codePage) && !text.empty() &&
      (read.bom == 1 || !startsLikeMark)) {
    // Read the written file back under its code page.
    files.content = files.written;
    files.pieceBytes = piece;
    const int16_t again = codePage == 65001 ? 4 : codePage == 1200 ? 2 : 3;
    const Read back = ReadWith(files, host, again, 0, kind, 0);
    const bool onlyNuls = text.find_first_not_of(u'\0') == WideText::npos;
    // A text that begins like a binary format ("GIF89a", "%PDF-") is taken for one.
    const bool looksBinary = back.status == ReadBinary && HasBinarySignature(out);
    if (!onlyNuls && !looksBinary && back.status != ReadOk) Fail("written text does not read back");
    if (back.status == ReadOk && text.find(u'\0') == WideText::npos && back.text != text) {
      Fail("written text reads back otherwise");
    }
  }
  return 0;
}
