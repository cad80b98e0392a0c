#pragma once

#include <cstddef>
#include <string>

namespace vantrel::platform {

// Reads a whole regular file of at most `limit` bytes. Anything else (a directory, a device
// such as /dev/zero, a pipe, a file that is too large or cannot be opened) is refused before
// its content is read, with a reason a user can act on. Nothing is written on failure.
bool read_small_file(const std::string& path, std::size_t limit, std::string& text,
                     std::string& error);

}  // namespace vantrel::platform
