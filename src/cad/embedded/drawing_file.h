// The embedded host's drawing on disk: what the file looked like when it was
// read (so a change by someone else is noticed before it is overwritten),
// whether it may be written at all, and where else to save when it may not.
#pragma once

#include <chrono>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace lumo::cad::embedded {

// Size, modification time and a hash of the bytes of a file as it was read
// or written by us.
struct FileStamp {
    std::uintmax_t size = 0;
    std::int64_t modified = 0; // file clock ticks
    std::uint64_t hash = 0; // base::HashBytes of the content
    // The time was already older than kSettledAfter when the stamp was
    // taken: any later write of the file leaves another time. A file
    // written just before may be written again within the same step of
    // the file system's clock, keeping its time.
    bool settled = false;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// Longer than a step of the coarsest file times (two seconds) and of the
// system's clock behind them together.
inline constexpr std::chrono::seconds kSettledAfter{3};

// What the size and time of a file now say of its content against its stamp.
enum class StampVerdict {
    Unchanged, // same size and time, a time any later write would move
    Changed, // another size
    CompareContent, // the time alone does not tell: the bytes have to
};
StampVerdict JudgeStamp(const FileStamp& stamp, std::uintmax_t size, std::int64_t modified);

// The stamp of a file as it is now (its bytes read and hashed); nullopt
// when it does not exist or cannot be read.
std::optional<FileStamp> StampOf(const std::string& path);
// The stamp of the file at path as read into these bytes (read once: a
// large drawing is not read a second time for its stamp).
FileStamp StampOf(const std::string& path, std::string_view bytesRead);
// The stamp of a file of that size, content hash and time, taken now.
FileStamp StampNow(std::uintmax_t size, std::uint64_t hash, std::int64_t modified);

// Why the drawing may not be written over the file at path, in the
// designer's words; "" when it may. A file that has gone away may be
// written again. The file is read only when its size and time cannot tell.
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
