// Paths handed over by ctest and the shell scripts are Unix paths; Windows
// functions need them as DOS paths.
#pragma once

#include <string>

// Under Wine an absolute Unix path becomes its DOS path (Z:\...); any other
// path, or any path on Windows, is returned as it is.
std::wstring WindowsPath(const std::string& path);
