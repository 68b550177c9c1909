#include "cad/embedded/drawing_file.h"

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

std::uint64_t HashBytes(const char* data, std::size_t size)
{
    // Four words a step in four independent lanes (each mixed in with a
    // multiply and a shift), so that the multiplies overlap.
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
    auto mix = [](std::uint64_t hash, std::uint64_t word) {
        hash = (hash ^ word) * kMultiplier;
        return hash ^ (hash >> 29);
    };
    std::uint64_t lane[4] = {size * kMultiplier, size + 1, size + 2, size + 3};
    std::size_t i = 0;
    for (; i + 32 <= size; i += 32)
        for (int k = 0; k < 4; ++k) {
            std::uint64_t word;
            std::memcpy(&word, data + i + 8 * k, 8);
            lane[k] = mix(lane[k], word);
        }
    std::uint64_t hash = lane[0];
    for (int k = 1; k < 4; ++k)
        hash = mix(hash, lane[k]);
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, data + i, 8);
        hash = mix(hash, word);
    }
    std::uint64_t tail = 0;
    std::memcpy(&tail, data + i, size - i);
    hash = (hash ^ tail) * kMultiplier;
    return hash ^ (hash >> 32);
}

std::optional<FileStamp> StampOf(const std::string& path)
{
    const fs::path file = base::PathOf(path);
    std::error_code ec;
    if (!fs::is_regular_file(file, ec))
        return std::nullopt;
    FileStamp stamp;
    stamp.size = fs::file_size(file, ec);
    if (ec)
        return std::nullopt;
    stamp.modified = fs::last_write_time(file, ec).time_since_epoch().count();
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::vector<char> bytes(stamp.size);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (static_cast<std::uintmax_t>(in.gcount()) != stamp.size)
        return std::nullopt;
    stamp.hash = HashBytes(bytes.data(), bytes.size());
    return stamp;
}

FileStamp StampOf(const std::string& path, std::string_view bytesRead)
{
    FileStamp stamp;
    stamp.size = bytesRead.size();
    std::error_code ec;
    stamp.modified = fs::last_write_time(base::PathOf(path), ec).time_since_epoch().count();
    stamp.hash = HashBytes(bytesRead.data(), bytesRead.size());
    return stamp;
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
    std::error_code sizeError;
    const auto size = fs::file_size(file, sizeError);
    if (!sizeError && size != asRead->size)
        return kChangedOnDiskReason;
    const auto now = StampOf(path);
    if (now && now->hash != asRead->hash)
        return kChangedOnDiskReason;
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
