// What the POSIX layer reads of the file system and the process table:
// /sys, /proc, /dev and the lock directory, where other users may have put
// things. Short text files are read never more than a bound, never through a
// link at the last step, never waiting on a FIFO; a directory walk stops at
// a bound; a path is resolved once, here.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>

namespace comdev {

// At most maxBytes of the regular file at path; false if there is none (a
// link, a FIFO or a device counts as none).
bool ReadSmallFile(const std::string& path, std::size_t maxBytes, std::string* text);

// The same, with the trailing line end removed: a sysfs attribute or a
// /proc entry. Empty when it cannot be read.
std::string ReadLine(const std::string& path);

// The path with every link, "." and ".." resolved; "" when it leads nowhere.
std::string CanonicalPath(const std::string& path);

// The canonical path of path if it lies inside the directory root (itself
// canonical), else "". Follows links, so a link that leads out of the root
// is refused rather than followed.
std::string ResolvedInside(const std::string& root, const std::string& path);

// The last component of a path.
std::string BaseName(const std::string& path);

// Calls visit(name) for each entry of dir but "." and "..", in the order the
// system lists them, until visit returns false or maxEntries entries have
// been read: a directory that keeps filling never makes the walk endless.
// A directory that cannot be opened has no entries.
void ForEachEntry(const std::string& dir, std::size_t maxEntries,
                  const std::function<bool(const std::string& name)>& visit);

// True if process pid runs, also one of another user's that this process may
// not signal. False for 0 and below, which would name groups of processes.
bool ProcessRuns(pid_t pid);

}  // namespace comdev
