#include "cli/full_path.h"

#include <string>
#include <vector>

#include "core/wide_text.h"
#include "platform/directory.h"

namespace {

std::string NormalizeLexically(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    std::string part = path.substr(start, slash - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = slash + 1;
  }
  std::string result;
  for (const std::string& part : parts) result += "/" + part;
  if (result.empty()) return "/";
  // "dir/" names the folder itself; quillon reads the part after the last slash.
  if (path.back() == '/') result += '/';
  return result;
}

}  // namespace

bool FormFullPath(const NativePath& target, NativePath* fullPath) {
  if (target.empty()) return false;
  // The settings keep text; a name that is not UTF-8 would come back as another name.
  if (Utf8FromWide(WideFromUtf8(target)) != target) return false;
  std::string joined;
  if (target[0] == '/') {
    joined = target;
  } else {
    NativePath current;
    if (!GetCurrentFolder(&current)) return false;
    joined = current + "/" + target;
  }
  std::string normalized = NormalizeLexically(joined);
  if (WideFromUtf8(normalized).size() >= kTargetPathBuffer) return false;
  *fullPath = normalized;
  return true;
}
