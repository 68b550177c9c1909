// The embedded host's drawing on disk: what the file looked like when it was
// read (so a change by someone else is noticed before it is overwritten),
// whether it may be written at all, and where else to save when it may not.
#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace lumo::cad::embedded {

// Size, modification time and a hash of the bytes of a file as it was read.
struct FileStamp {
    std::uintmax_t size = 0;
    std::int64_t modified = 0; // file clock ticks
    std::uint64_t hash = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// A fast 64-bit hash of bytes (not cryptographic: it tells changed files apart).
std::uint64_t HashBytes(const char* data, std::size_t size);

// The stamp of a file as it is now; nullopt when it does not exist or cannot
// be read.
std::optional<FileStamp> StampOf(const std::string& path);
// The stamp of the file at path as read into these bytes (read once: a
// large drawing is not read a second time for its stamp).
FileStamp StampOf(const std::string& path, std::string_view bytesRead);

// Why the drawing may not be written over the file at path, in the
// designer's words; "" when it may. A file that has gone away may be
// written again.
std::string WhyNotWritable(const std::string& path, const std::optional<FileStamp>& asRead);

// A free name beside the given file: "plan.dxf" gives "plan-1.dxf", else
// "plan-2.dxf", and so on.
std::string SuggestedSaveAsPath(const std::string& path);

// Why a drawing could not be saved, in the designer's words: the system's
// reason ("Brak miejsca na dysku.") for an error of the system, else the
// error's own text.
std::string WhySaveFailed(std::error_code code);
std::string WhySaveFailed(const std::exception& error);

// The texts of the reasons.
inline constexpr const char* kReadOnlyReason = "Rysunek jest tylko do odczytu.";
inline constexpr const char* kChangedOnDiskReason
    = "Rysunek został zmieniony na dysku od chwili jego otwarcia.";
// What became of the work when no save succeeded.
inline constexpr const char* kNotSavedNote = "Zmiany w rysunku nie zostały zapisane.";

} // namespace lumo::cad::embedded
