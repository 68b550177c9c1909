// A save that says what it put on the disk, for a caller that keeps track
// of the file afterwards (whether someone else changed it since).
#pragma once

#include "dxf/document.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>

namespace lumo::dxf {

// What a save put on the disk under the drawing's name: its size, the hash
// of its bytes (base::HashBytes, taken as they were written) and its
// modification time. The time is set kSavedTimeBack before the save, so
// that a later write of the file by anyone leaves another time, even where
// the file system keeps times in steps of two seconds.
struct SavedFile {
    std::uintmax_t size = 0;
    std::uint64_t hash = 0;
    std::filesystem::file_time_type modified;
};
inline constexpr std::chrono::seconds kSavedTimeBack{4};

// Document::save, telling what it saved.
SavedFile SaveAndTell(const Document& document, const std::string& path);

} // namespace lumo::dxf
