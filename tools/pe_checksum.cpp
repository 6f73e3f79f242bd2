#include "tools/pe_checksum.h"

#include <fstream>
#include <iterator>

namespace {

constexpr size_t kNewHeaderPointer = 0x3C;  // e_lfanew in the DOS header
constexpr size_t kFileHeaderSize = 20;
constexpr size_t kChecksumInOptionalHeader = 64;  // the same for PE32 and PE32+
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;

uint32_t Read16(std::string_view bytes, size_t at) {
  return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at])) |
         static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 8;
}

uint32_t Read32(std::string_view bytes, size_t at) {
  return Read16(bytes, at) | Read16(bytes, at + 2) << 16;
}

}  // namespace

std::optional<size_t> PeChecksumOffset(std::string_view image) {
  if (image.size() < kNewHeaderPointer + 4 || image.substr(0, 2) != "MZ") return std::nullopt;
  size_t signature = Read32(image, kNewHeaderPointer);
  size_t optionalHeader = signature + 4 + kFileHeaderSize;
  size_t field = optionalHeader + kChecksumInOptionalHeader;
  // Compared one by one so that a huge pointer cannot wrap around.
  if (signature >= image.size() || image.size() - signature < 4 + kFileHeaderSize + 2 ||
      field + 4 > image.size()) {
    return std::nullopt;
  }
  if (image.substr(signature, 4) != std::string_view("PE\0\0", 4)) return std::nullopt;
  uint32_t magic = Read16(image, optionalHeader);
  if (magic != kPe32Magic && magic != kPe32PlusMagic) return std::nullopt;
  return field;
}

uint32_t ComputePeChecksum(std::string_view image, size_t checksumOffset) {
  // The checksum field itself counts as zero, byte by byte.
  auto byte = [&](size_t at) -> uint32_t {
    if (at >= image.size() || (at >= checksumOffset && at - checksumOffset < 4)) return 0;
    return static_cast<uint8_t>(image[at]);
  };
  uint32_t sum = 0;
  size_t size = image.size();
  // Words are little-endian; an odd last byte is a word with a zero high byte.
  for (size_t at = 0; at < size; at += 2) {
    sum += byte(at) | byte(at + 1) << 8;
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  sum = (sum & 0xFFFF) + (sum >> 16);
  return (sum & 0xFFFF) + static_cast<uint32_t>(size);
}

bool StampPeChecksum(std::string& image) {
  std::optional<size_t> field = PeChecksumOffset(image);
  if (!field) return false;
  uint32_t checksum = ComputePeChecksum(image, *field);
  for (int i = 0; i < 4; ++i) image[*field + i] = static_cast<char>(checksum >> (8 * i));
  return true;
}

bool StampPeChecksumFile(const std::string& path, std::string* error) {
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  if (!file) {
    *error = "cannot open " + path;
    return false;
  }
  std::string image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (file.bad()) {
    *error = "cannot read " + path;
    return false;
  }
  std::optional<size_t> field = PeChecksumOffset(image);
  if (!field) {
    *error = path + " is not a PE image";
    return false;
  }
  uint32_t checksum = ComputePeChecksum(image, *field);
  char bytes[4];
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(checksum >> (8 * i));
  file.clear();
  file.seekp(static_cast<std::streamoff>(*field));
  file.write(bytes, 4);
  file.flush();
  if (!file) {
    *error = "cannot write " + path;
    return false;
  }
  return true;
}
