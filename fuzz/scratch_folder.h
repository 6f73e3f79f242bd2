// A folder of this process's own under $TMPDIR (default /tmp) for the fuzz targets whose
// code reads and writes real files; it is removed with what it holds when the process
// ends normally.
#pragma once

#include <string>

// The folder's path, made on the first call.
const std::string& ScratchFolder();

// Replaces the file at path by bytes (made with its folders as needed).
void WriteScratchFile(const std::string& path, const void* bytes, size_t size);
