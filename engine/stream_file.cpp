#include "engine/stream_file.h"

#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/code_pages.h"
#include "core/encoding_catalogue.h"
#include "engine/binary_format.h"
#include "engine/byte_order_mark.h"
#include "engine/piece_relay.h"
#include "engine/stream_codec.h"
#include "engine/stream_steps.h"


namespace {

// The first bytes looked at before the road is settled: every signature of a binary
// format fits in them, but for a program's, whose header may lie anywhere.
constexpr size_t kHeadBytes = 64;

// The code page the job names for reading.
uint32_t NamedInputCodePage(const JobOptions& job) {
  if (job.inputEncodingIndex == kEncodingOther) return job.inputOtherCodePage;
  return CatalogueCodePage(job.inputEncodingIndex);
}

// Removes the NUL bytes of data[0, size) in place; the new size.
size_t RemoveNulBytes(char* data, size_t size) {
  const char* nul = static_cast<const char*>(std::memchr(data, 0, size));
  if (!nul) return size;
  size_t out = static_cast<size_t>(nul - data);
  for (size_t i = out; i < size; ++i) {
    if (data[i] != 0) data[out++] = data[i];
  }
  return out;
}

// Removes the UTF-16 units of data[0, size) whose two bytes are both zero, the units
// counted from data; an odd last byte stays. The new size.
size_t RemoveNulUnits(char* data, size_t size) {
  size_t out = 0;
  size_t i = 0;
  for (; i + 1 < size; i += 2) {
    if (data[i] == 0 && data[i + 1] == 0) continue;
    data[out++] = data[i];
    data[out++] = data[i + 1];
  }
  if (i < size) data[out++] = data[i];
  return out;
}

// One file on its way through the pieces.
class Streaming {
 public:
  // Without writing, the new content is made but not kept until a step changes the text.
  // The steps' output of the pieces before the change is held while it is small (up to
  // heldBytes bytes of units), so that the pass can go on writing from there; past that the pass
  // stops with restart() true, and the file is to be taken again, writing.
  Streaming(EngineContext& context, const NativePath& path, const JobOptions& job,
            size_t heldBytes, bool writing)
      : context_(context), path_(path), job_(job), heldBytes_(heldBytes), writing_(writing) {}

  bool restart() const { return restart_; }

  std::unique_ptr<StreamedFile> Run(size_t pieceBytes) {
    auto begin = [&](uint64_t size) {
      size_ = size;
      return true;
    };
    auto take = [&](char* piece, size_t length) {
      if (!decided_) {
        head_.append(piece, length);
        if (head_.size() < kHeadBytes) return true;
        if (!Decide()) return false;
        return Feed(head_.data(), head_.size());
      }
      return Feed(piece, length);
    };
    const ReadFileResult read =
        context_.files->ReadFileStreaming(path_, pieceBytes, begin, take);
    if (!decided_) {
      // A file shorter than the head (or one that could not be read, or an empty one,
      // which the whole-text road tells of).
      if (read != ReadFileResult::kOk || head_.empty() || !Decide()) return nullptr;
      Feed(head_.data(), head_.size());
    }
    if (declined_ || restart_) return nullptr;
    if (file_->status == ReadOk && read != ReadFileResult::kOk) file_->status = FailedRead(read);
    if (file_->status == ReadOk) Finish();
    // The helper is done, or what waits for it is not wanted: the pass stopped early.
    relay_.reset();
    if (declined_ || restart_) return nullptr;
    if (file_->status != ReadOk) {
      file_->output.reset();
      file_->bytes.clear();
    }
    return std::move(file_);
  }

 private:
  // Settles the road on the head of the file. False when reading is to stop: the file is
  // binary, or the road does not suit it (declined_).
  bool Decide() {
    decided_ = true;
    file_ = std::make_unique<StreamedFile>();
    writer_.emplace(context_, path_, *file_, heldBytes_);
    if (HasBinarySignature(head_)) {
      file_->status = ReadBinary;
      return false;
    }
    // A program's header may lie beyond the head: the whole file is looked at.
    if (head_.starts_with("MZ")) return Decline();
    uint32_t failure = 0;
    codec_ = context_.createCodec(&failure);
    if (!codec_) return Decline();  // the whole-text road tells of it
    const ByteOrderMark* mark = FindByteOrderMark(head_);
    const uint32_t input = mark ? mark->codePage : NamedInputCodePage(job_);
    const uint32_t output = ResolveOutputCodePage(job_, input);
    if (!StreamDecoder::Decodes(*codec_, input) || !codec_->EncodesPieces(output)) {
      return Decline();
    }
    // In another code page the file is written whatever the steps do.
    if (WrittenInOtherCodePage(job_, input, output)) writing_ = true;
    file_->inputCodePage = input;
    file_->outputCodePage = output;
    markLeft_ = mark ? mark->bytes.size() : 0;
    hasMark_ = mark != nullptr;
    // A file read with a mark is written with the output code page's, where it has one.
    if (mark && !Write(ByteOrderMarkFor(output))) return false;
    utf16_ = IsUtf16CodePage(input);
    decoder_.emplace(*codec_, input);
    writer_->EncodeWith(*codec_, output);
    steps_ = MakeStreamSteps(job_);
    ownSteps_ = steps_.size();
    if (writing_) WantRelay();
    return true;
  }

  // A large file that is written is read, decoded and taken through the first half of
  // the steps here, and the rest of the steps, the encoding and the writing run on a
  // helper thread, so that the two halves of the work run at once.
  void WantRelay() {
    relayWanted_ = size_ >= context_.streamRelayFromBytes;
    if (relayWanted_) ownSteps_ = steps_.size() - steps_.size() / 2;
  }

  // The steps taken on the reading thread.
  std::span<const std::unique_ptr<StreamStep>> OwnSteps() const {
    return std::span(steps_).first(ownSteps_);
  }

  bool Decline() {
    declined_ = true;
    return false;
  }

  // Takes a piece of the file's bytes through to the work file. False when reading is to
  // stop.
  bool Feed(char* data, size_t length) {
    const size_t skip = std::min(markLeft_, length);
    markLeft_ -= skip;
    data += skip;
    length -= skip;
    std::string_view bytes;
    if (utf16_) {
      // The units are counted from the file's start: an odd byte waits for its other half.
      joined_.assign(odd_);
      joined_.append(data, length);
      const size_t size = RemoveNulUnits(joined_.data(), joined_.size());
      const size_t even = size & ~size_t{1};
      odd_.assign(joined_, even, size - even);
      bytes = std::string_view(joined_.data(), even);
      kept_ += even;
    } else {
      bytes = std::string_view(data, RemoveNulBytes(data, length));
      kept_ += bytes.size();
    }
    switch (decoder_->Feed(bytes, &text_)) {
      case DecodeAnswer::kDecoded:
        break;
      case DecodeAnswer::kInvalid:
        file_->status = ReadCannotDecode;
        return false;
      case DecodeAnswer::kNotSupported:
        return Decline();
    }
    file_->changed |= FeedSteps(OwnSteps(), text_, false);
    if (!writing_) {
      if (!file_->changed) return Hold();
      if (!StartWriting() || !Hand(text_, false)) return false;
      // The pieces so far went through every step here: the helper takes its share of
      // the steps from the next piece on.
      WantRelay();
      return true;
    }
    return Hand(text_, false);
  }

  // Keeps the steps' output of a piece that changed nothing, for StartWriting to encode
  // should a later piece change the text. A file too large for that is taken again.
  bool Hold() {
    if (!canStartWriting_) return true;
    heldUnits_ += text_.size();
    if (heldUnits_ * sizeof(char16_t) > heldBytes_) {
      canStartWriting_ = false;
      std::vector<WideText>().swap(unchanged_);
      return true;
    }
    unchanged_.push_back(std::move(text_));
    text_.clear();
    return true;
  }

  // The text has changed in a pass that did not write: the pass goes on writing, with the
  // mark and the pieces held so far encoded first, in the order and pieces a pass that
  // writes from the start encodes them. False when reading is to stop: the held pieces
  // were let go (restart_), or the encoder or the work file failed (declined_).
  bool StartWriting() {
    if (!canStartWriting_) {
      restart_ = true;
      return false;
    }
    writing_ = true;
    if (hasMark_ && !Write(ByteOrderMarkFor(file_->outputCodePage))) return false;
    for (WideText& piece : unchanged_) {
      if (!Hand(piece, false)) return false;
    }
    std::vector<WideText>().swap(unchanged_);
    return true;
  }

  // Encodes units into the work file. False when the converter broke off (the whole-text
  // road then tells of it as it always has) or no work file can be made. A large file's
  // units are encoded and written on a helper thread while the next piece is read.
  bool Hand(WideText& units, bool last) {
    if (relayWanted_ && !relay_ && !StartRelay()) return false;
    if (relay_) {
      if (!relay_->Hand(units, last) || (last && !relay_->Finish())) return Decline();
      return true;
    }
    return writer_->Hand(units, last) || Decline();
  }

  // The helper writes to a work file made before it starts: nothing it does touches what
  // the reading thread uses.
  bool StartRelay() {
    if (!writer_->OpenWorkFile()) return Decline();
    relay_ = std::make_unique<PieceRelay>([this](WideText& units, bool last) {
      FeedSteps(std::span(steps_).subspan(ownSteps_), units, last);
      return writer_->Hand(units, last);
    });
    return true;
  }

  // The new content goes to memory while it is small, then to a work file.
  bool Write(std::string_view bytes) {
    if (!writing_) return true;
    // No work file beside it: the whole-text road tells why, if the file is to change.
    return writer_->Write(bytes) || Decline();
  }

  void Finish() {
    kept_ += odd_.size();
    // Nothing but a mark or NULs: there is no text to convert.
    if (kept_ == 0) {
      file_->status = ReadEmpty;
      return;
    }
    // The file ended inside a character (or half a UTF-16 unit).
    if (!odd_.empty() || decoder_->Finish(&text_) != DecodeAnswer::kDecoded) {
      file_->status = ReadCannotDecode;
      return;
    }
    file_->changed |= FeedSteps(OwnSteps(), text_, true);
    if (!writing_) {
      if (!file_->changed || !StartWriting()) return;
    }
    if (!Hand(text_, true)) return;
    // The helper's steps are done: whether they changed the text counts too.
    for (size_t i = ownSteps_; i < steps_.size(); ++i) file_->changed |= steps_[i]->changed();
  }

  EngineContext& context_;
  const NativePath& path_;
  const JobOptions& job_;
  const size_t heldBytes_;
  std::unique_ptr<Codec> codec_;
  std::unique_ptr<StreamedFile> file_;
  std::optional<StreamDecoder> decoder_;
  std::optional<ContentWriter> writer_;
  std::vector<std::unique_ptr<StreamStep>> steps_;
  bool writing_;
  bool restart_ = false;
  bool decided_ = false;
  bool declined_ = false;
  std::string head_;
  size_t markLeft_ = 0;
  bool hasMark_ = false;
  bool canStartWriting_ = true;      // every piece so far is in unchanged_
  std::vector<WideText> unchanged_;  // the steps' output before the first change
  uint64_t heldUnits_ = 0;
  bool utf16_ = false;
  std::string odd_;     // a UTF-16 byte whose unit goes on in the next piece
  std::string joined_;  // odd_ and a piece
  uint64_t kept_ = 0;   // bytes after the mark other than NUL
  WideText text_;
  uint64_t size_ = 0;  // the file's, as it was opened
  bool relayWanted_ = false;
  size_t ownSteps_ = 0;  // steps_[0, ownSteps_) run on the reading thread
  // Last: it goes first, and its helper uses the members above.
  std::unique_ptr<PieceRelay> relay_;
};

}  // namespace

bool ContentWriter::Write(std::string_view bytes) {
  if (!file_.output) {
    file_.bytes.append(bytes);
    return file_.bytes.size() <= heldBytes_ || OpenWorkFile();
  }
  file_.output->Write(bytes);
  return true;
}

bool ContentWriter::OpenWorkFile() {
  if (file_.output) return true;
  file_.output = context_.files->BeginReplacement(path_);
  if (!file_.output) return false;
  file_.output->Write(file_.bytes);
  std::string().swap(file_.bytes);
  return true;
}

bool ContentWriter::Hand(WideText& units, bool last) {
  std::string_view bytes;
  if (encoder_->Feed(units, last, &encoded_, &bytes) != EncodeAnswer::kConverted) {
    return false;
  }
  if (!Write(bytes)) return false;
  if (last) file_.substituted = encoder_->substituted();
  return true;
}

bool WrittenInOtherCodePage(const JobOptions& job, uint32_t inputCodePage,
                            uint32_t outputCodePage) {
  const bool explicitOutput =
      job.outputEncodingIndex >= kEncodingFirstNamed && job.outputEncodingIndex <= kEncodingOther;
  return explicitOutput && outputCodePage != inputCodePage;
}

uint32_t ResolveOutputCodePage(const JobOptions& job, uint32_t inputCodePage) {
  if (job.outputEncodingIndex == kEncodingOther) return job.outputOtherCodePage;
  if (IsNamedEncoding(job.outputEncodingIndex)) {
    return CatalogueCodePage(job.outputEncodingIndex);
  }
  return inputCodePage;
}

bool JobStreams(const JobOptions& job) {
  const bool named =
      job.inputEncodingIndex == kEncodingOther || IsNamedEncoding(job.inputEncodingIndex);
  return named && job.insertEveryBytes == 0 && StepsStream(job);
}

std::unique_ptr<StreamedFile> StreamFile(EngineContext& context, const NativePath& path,
                                         const JobOptions& job) {
  if (!JobStreams(job) || !context.files->WritesInPieces()) return nullptr;
  // A file that stays as it is costs a read and no work file: the first pass writes only
  // when the code page changes or the text does; a change found too far into a large file
  // starts the file over, writing.
  Streaming first(context, path, job, context.streamHeldBytes, false);
  std::unique_ptr<StreamedFile> file = first.Run(context.streamPieceBytes);
  if (!first.restart()) return file;
  return Streaming(context, path, job, context.streamHeldBytes, true)
      .Run(context.streamPieceBytes);
}
