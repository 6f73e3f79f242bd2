// Encodes a text and writes it over a file in one step.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/wide_text.h"
#include "engine/engine_context.h"
#include "platform/native_path.h"

// Takes the text over. Writes a byte-order mark when bomFlag is 1 and the code page is
// 65001, 1200 or 1201. Sets *title and *detail when there is something to report: a
// failure, or characters replaced by "?" (the file is still written then).
bool WriteTextFile(EngineContext& context, const NativePath& path, WideText text,
                   uint32_t codePage, uint32_t bomFlag, std::optional<WideText>* title,
                   std::optional<WideText>* detail);

// Puts the new content of a file converted piece by piece (see stream_file.h) in its place,
// with the reports of WriteTextFile: the work file output holds it, or when output is
// nullptr (a small file) bytes do, mark and all. substituted: a character was written as
// "?".
bool PutWrittenText(EngineContext& context, const NativePath& path, ContentReplacement* output,
                    std::string_view bytes, bool substituted, std::optional<WideText>* title,
                    std::optional<WideText>* detail);
