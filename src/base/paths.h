// Paths: UTF-8 text inside the program, std::filesystem paths at the
// system's boundary, and file names matched without regard to case, as on
// Windows, where a suite copied from there may spell them otherwise.
#pragma once

#include <filesystem>
#include <string>

namespace lumo::base {

// UTF-8 text to a path and back (on Windows a narrow path would be read in
// the ANSI code page instead).
std::filesystem::path PathOf(const std::string& utf8);
std::string TextOf(const std::filesystem::path& path);

// A path as the program gives it (Windows style, any case) made into one
// this system opens: backslashes become separators, and each part whose
// exact spelling does not exist is matched without regard to case against
// the entries of its folder (of several spellings, the first in code-point
// order, whatever order the folder lists them in). Below a folder that does
// not exist, and for a file not made yet, the spelling given stays. On
// Windows the path comes back as it is.
std::string NativePath(const std::string& path);

} // namespace lumo::base
