#include "engine/replace_text.h"

#include <vector>

namespace {

char16_t FoldAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c; }

}  // namespace

void ReplaceLiteral(WideText& subject, std::u16string_view search,
                    std::u16string_view replacement, bool ignoreCase) {
  if (search.empty() || subject.size() < search.size()) return;
  auto unit = [ignoreCase](char16_t c) { return ignoreCase ? FoldAscii(c) : c; };
  // Knuth-Morris-Pratt keeps the scan linear whatever the texts are.
  std::vector<size_t> border(search.size() + 1, 0);
  for (size_t i = 1, k = 0; i < search.size(); ++i) {
    while (k > 0 && unit(search[i]) != unit(search[k])) k = border[k];
    if (unit(search[i]) == unit(search[k])) ++k;
    border[i + 1] = k;
  }
  WideText result;
  size_t copied = 0;
  size_t matched = 0;
  bool any = false;
  for (size_t i = 0; i < subject.size(); ++i) {
    while (matched > 0 && unit(subject[i]) != unit(search[matched])) matched = border[matched];
    if (unit(subject[i]) == unit(search[matched])) ++matched;
    if (matched == search.size()) {
      if (!any) {
        result.reserve(subject.size());
        any = true;
      }
      size_t start = i + 1 - search.size();
      result.append(subject, copied, start - copied);
      result.append(replacement);
      copied = i + 1;
      matched = 0;  // occurrences never overlap
    }
  }
  if (!any) return;
  result.append(subject, copied, WideText::npos);
  subject.swap(result);
}

bool ReplaceInText(WideText& text, const JobOptions& job) {
  if (job.replaceUseRegex) return false;  // expressions are compiled by the run driver
  WideText result = text;
  ReplaceLiteral(result, job.searchText, job.replacementText, job.replaceIgnoreCase);
  if (result == text) return false;
  text.swap(result);
  return true;
}
