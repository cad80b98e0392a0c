#pragma once

#include <cstddef>
#include <string>

namespace vantrel::platform {

// Whether this is a Windows NT-family system (NT 4, 2000, XP and later), on which a user-mode
// IN or OUT raises an exception instead of reaching the port. Windows 95, 98 and Me are not.
bool nt_family();

// Reads a whole file of at most `max_bytes` as bytes (no text translation); a larger one is
// refused before it is read. On failure returns false and says why, without the path.
bool read_file(const std::string& path, std::size_t max_bytes, std::string& content,
               std::string& error);

}  // namespace vantrel::platform
