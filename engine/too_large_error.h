// The error of a step that would make a text larger than the program can hold.
#pragma once

#include <stdexcept>

// Thrown before any memory is reserved for the grown text; the file is then reported as
// too large and left as it is.
class TooLargeError : public std::length_error {
 public:
  using std::length_error::length_error;
};
