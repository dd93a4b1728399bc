#pragma once
// Small text files read whole with a size bound, and written so that a failed write
// leaves an existing file as it was.
#include <cstddef>
#include <string>

namespace hobwise {

// Reads the file into `text`. The empty text on success, otherwise the message:
// "cannot read FILE: reason", or "cannot read FILE: larger than N KiB, so no WHAT".
std::string readTextFile(const std::string& path, std::size_t maxBytes, const std::string& what, std::string& text);

// Writes through a temporary file beside the target, then renames it. The empty text
// on success, otherwise "cannot write FILE: reason".
std::string replaceTextFile(const std::string& path, const std::string& text);

}  // namespace hobwise
