// The image checksum of a Windows program file: where its header keeps it, how it is
// computed, and stamping it into a file. Used by the build (a small host program stamps
// quillon.exe and quillonc.exe after linking) and by the tests; quillon.exe checks the
// stamp at start-up through the system's own computation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The offset of the checksum field in the optional header, or nullopt when the bytes are
// not a PE image (no "MZ" header, no "PE\0\0" signature where it points, an unknown
// optional-header kind, or a header cut short).
std::optional<size_t> PeChecksumOffset(std::string_view image);

// The standard image checksum: the 16-bit one's-complement sum of the file's
// little-endian 16-bit words (an odd last byte counts as a word of its own), with the four
// bytes at checksumOffset counted as zero, folded to 16 bits, plus the file's length.
uint32_t ComputePeChecksum(std::string_view image, size_t checksumOffset);

// Writes the checksum into the image in memory; false when it is not a PE image.
bool StampPeChecksum(std::string& image);

// Reads the file, stamps it and writes the field back in place. False with the reason in
// *error when the file cannot be read or written or is not a PE image.
bool StampPeChecksumFile(const std::string& path, std::string* error);
