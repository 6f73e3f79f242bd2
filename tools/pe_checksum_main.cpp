// pe_checksum: stamps the image checksum into Windows program files after linking, or
// checks it.
//
//   pe_checksum stamp FILE...   writes the checksum into each file's header
//   pe_checksum check FILE...   prints "FILE stored computed" (hex); exit 1 when one
//                               differs or is 0
//
// Exit code 2 for a wrong call or a file that cannot be read, written or is not a PE image.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/pe_checksum.h"

namespace {

int Stamp(const std::string& path) {
  std::string error;
  if (!StampPeChecksumFile(path, &error)) {
    std::fprintf(stderr, "pe_checksum: %s\n", error.c_str());
    return 2;
  }
  return 0;
}

int Check(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file.is_open()) {
    std::fprintf(stderr, "pe_checksum: cannot read %s\n", path.c_str());
    return 2;
  }
  std::string image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  auto field = PeChecksumOffset(image);
  if (!field) {
    std::fprintf(stderr, "pe_checksum: %s is not a PE image\n", path.c_str());
    return 2;
  }
  uint32_t stored = 0;
  for (int i = 0; i < 4; ++i) {
    stored |= static_cast<uint32_t>(static_cast<uint8_t>(image[*field + i])) << (8 * i);
  }
  uint32_t computed = ComputePeChecksum(image, *field);
  std::printf("%s %08x %08x\n", path.c_str(), stored, computed);
  return stored != 0 && stored == computed ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || (std::strcmp(argv[1], "stamp") != 0 && std::strcmp(argv[1], "check") != 0)) {
    std::fprintf(stderr, "usage: pe_checksum stamp|check FILE...\n");
    return 2;
  }
  bool stamp = std::strcmp(argv[1], "stamp") == 0;
  int result = 0;
  for (int i = 2; i < argc; ++i) {
    int one = stamp ? Stamp(argv[i]) : Check(argv[i]);
    if (one > result) result = one;
  }
  return result;
}
