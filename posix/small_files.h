// Reading the short text files of /sys and /proc, and of the lock directory,
// which other users may have put there: never more than a bound, never
// through a link at the last step, never waiting on a FIFO.
#pragma once

#include <cstddef>
#include <string>

namespace comdev {

// At most maxBytes of the regular file at path; false if there is none (a
// link, a FIFO or a device counts as none).
bool ReadSmallFile(const std::string& path, std::size_t maxBytes, std::string* text);

// The same, with the trailing line end removed: a sysfs attribute or a
// /proc entry. Empty when it cannot be read.
std::string ReadLine(const std::string& path);

// The canonical path of path if it lies inside the directory root (itself
// canonical), else "". Follows links, so a link that leads out of the root
// is refused rather than followed.
std::string ResolvedInside(const std::string& root, const std::string& path);

// The last component of a path.
std::string BaseName(const std::string& path);

}  // namespace comdev
