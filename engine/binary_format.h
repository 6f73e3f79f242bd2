// Recognises files of well-known binary formats by their first bytes.
#pragma once

#include <string_view>

// True when head, the first bytes of a file (as many as are at hand), begins with the
// signature of a program, library, archive, compressed stream, image, document container
// or database. Such a file is no text: converting it would destroy it. Reads only the
// few bytes the signatures need (for a program of the PE kind, the header its offset at
// 0x3C points to, when that lies inside head).
bool HasBinarySignature(std::string_view head);
