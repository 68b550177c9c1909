#include "cad/embedded/drawing_file.h"

#include "base/byte_hash.h"
#include "base/paths.h"
#include "cad/embedded/polish_reasons.h"
#include "dxf/error.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <cerrno>
#include <vector>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace lumo::cad::embedded {

namespace {

std::int64_t ticksOf(fs::file_time_type time)
{
    return time.time_since_epoch().count();
}

} // namespace

StampVerdict JudgeStamp(const FileStamp& stamp, std::uintmax_t size, std::int64_t modified)
{
    if (size != stamp.size)
        return StampVerdict::Changed;
    if (modified == stamp.modified && stamp.settled)
        return StampVerdict::Unchanged;
    // Touched, copied back as it was, or written again within the step of
    // the clock the stamp was taken in.
    return StampVerdict::CompareContent;
}

FileStamp StampNow(std::uintmax_t size, std::uint64_t hash, std::int64_t modified)
{
    const auto settledBy = fs::file_time_type::clock::now() - kSettledAfter;
    return {size, modified, hash, modified <= ticksOf(settledBy)};
}

std::optional<FileStamp> StampOf(const std::string& path)
{
    const fs::path file = base::PathOf(path);
    std::error_code ec;
    if (!fs::is_regular_file(file, ec))
        return std::nullopt;
    const auto size = fs::file_size(file, ec);
    if (ec)
        return std::nullopt;
    const auto modified = fs::last_write_time(file, ec);
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::vector<char> bytes(size);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (static_cast<std::uintmax_t>(in.gcount()) != size)
        return std::nullopt;
    return StampNow(size, base::HashBytes(bytes.data(), bytes.size()), ticksOf(modified));
}

FileStamp StampOf(const std::string& path, std::string_view bytesRead)
{
    std::error_code ec;
    const auto modified = fs::last_write_time(base::PathOf(path), ec);
    return StampNow(bytesRead.size(), base::HashBytes(bytesRead.data(), bytesRead.size()), ticksOf(modified));
}

std::string WhyNotWritable(const std::string& path, const std::optional<FileStamp>& asRead)
{
    const fs::path file = base::PathOf(path);
    std::error_code ec;
    const auto status = fs::status(file, ec);
    if (!fs::exists(status))
        return "";
    // Write bits, not access(): the superuser may write anything, and a
    // designer's read-only drawing must stay as it is all the same.
    constexpr auto kWriteBits = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((status.permissions() & kWriteBits) == fs::perms::none)
        return kReadOnlyReason;
    if (!asRead)
        return "";
    std::error_code sizeError, timeError;
    const auto size = fs::file_size(file, sizeError);
    const auto modified = fs::last_write_time(file, timeError);
    auto verdict = StampVerdict::CompareContent;
    if (!sizeError && !timeError)
        verdict = JudgeStamp(*asRead, size, ticksOf(modified));
    if (verdict == StampVerdict::Changed)
        return kChangedOnDiskReason;
    if (verdict == StampVerdict::CompareContent) {
        const auto now = StampOf(path);
        if (now && (now->size != asRead->size || now->hash != asRead->hash))
            return kChangedOnDiskReason;
    }
    return "";
}

namespace {

enum class SaveFault { DiskFull, TooLarge, ReadOnlyDisk, Denied, NoFolder, FolderInTheWay, Disk, Other };

SaveFault FaultOf(std::error_code code)
{
#ifdef _WIN32
    // Windows' own codes, where a call gives those rather than the C library's.
    if (code.category() == std::system_category()) {
        switch (code.value()) {
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return SaveFault::DiskFull;
        case ERROR_FILE_TOO_LARGE: return SaveFault::TooLarge;
        case ERROR_WRITE_PROTECT: return SaveFault::ReadOnlyDisk;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION: return SaveFault::Denied;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND: return SaveFault::NoFolder;
        default: break;
        }
    }
#endif
#ifdef EDQUOT
    if (code.category() == std::generic_category() && code.value() == EDQUOT)
        return SaveFault::DiskFull; // the user's share of the disk is used up
#endif
    using E = std::errc;
    if (code == E::no_space_on_device)
        return SaveFault::DiskFull;
    if (code == E::file_too_large)
        return SaveFault::TooLarge;
    if (code == E::read_only_file_system)
        return SaveFault::ReadOnlyDisk;
    if (code == E::permission_denied || code == E::operation_not_permitted)
        return SaveFault::Denied;
    if (code == E::no_such_file_or_directory || code == E::not_a_directory)
        return SaveFault::NoFolder;
    if (code == E::is_a_directory)
        return SaveFault::FolderInTheWay;
    if (code == E::io_error)
        return SaveFault::Disk;
    return SaveFault::Other;
}

} // namespace

std::string WhySaveFailed(std::error_code code)
{
    switch (FaultOf(code)) {
    case SaveFault::DiskFull: return "Brak miejsca na dysku.";
    case SaveFault::TooLarge: return "Plik jest za duży: system nie pozwala zapisać tak dużego pliku.";
    case SaveFault::ReadOnlyDisk: return "Dysk jest tylko do odczytu.";
    case SaveFault::Denied: return "Brak uprawnień do zapisu w folderze rysunku.";
    case SaveFault::NoFolder: return "Folder rysunku nie istnieje.";
    case SaveFault::FolderInTheWay: return "W miejscu pliku rysunku jest folder.";
    case SaveFault::Disk: return "Błąd zapisu na dysku.";
    case SaveFault::Other: break;
    }
    return PolishSystemReason(code);
}

std::string WhySaveFailed(const std::exception& error)
{
    if (const auto* failed = dynamic_cast<const dxf::SaveError*>(&error))
        return WhySaveFailed(failed->code());
    return PolishReason(error);
}

std::string SuggestedSaveAsPath(const std::string& path)
{
    const fs::path file = base::PathOf(path);
    const fs::path folder = file.parent_path();
    const std::string stem = base::TextOf(file.stem());
    const std::string extension = file.has_extension() ? base::TextOf(file.extension()) : ".dxf";
    std::error_code ec;
    for (int n = 1;; ++n) {
        const fs::path candidate = folder / base::PathOf(stem + "-" + std::to_string(n) + extension);
        if (!fs::exists(candidate, ec))
            return base::TextOf(candidate);
    }
}

} // namespace lumo::cad::embedded
