#include "cad/embedded/drawing_file.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;

namespace lumo::cad::embedded {

namespace {

fs::path pathOf(const std::string& utf8)
{
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string textOf(const fs::path& path)
{
    const auto text = path.u8string();
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

} // namespace

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
    const fs::path file = pathOf(path);
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
    stamp.modified = fs::last_write_time(pathOf(path), ec).time_since_epoch().count();
    stamp.hash = HashBytes(bytesRead.data(), bytesRead.size());
    return stamp;
}

std::string WhyNotWritable(const std::string& path, const std::optional<FileStamp>& asRead)
{
    const fs::path file = pathOf(path);
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

std::string SuggestedSaveAsPath(const std::string& path)
{
    const fs::path file = pathOf(path);
    const fs::path folder = file.parent_path();
    const std::string stem = textOf(file.stem());
    const std::string extension = file.has_extension() ? textOf(file.extension()) : ".dxf";
    std::error_code ec;
    for (int n = 1;; ++n) {
        const fs::path candidate = folder / pathOf(stem + "-" + std::to_string(n) + extension);
        if (!fs::exists(candidate, ec))
            return textOf(candidate);
    }
}

} // namespace lumo::cad::embedded
