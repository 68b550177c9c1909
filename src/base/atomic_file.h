// Writing a file so that its name is on the complete old content or the
// complete new one at every instant, whatever stops the write: the bytes go
// to a temporary file beside it ("<file>.lumo-save-<hex>.tmp"), are put on
// the disk, and the temporary is renamed over the file. Where asked, the
// file there before becomes "<file>.bak", and some complete .bak is there at
// every instant once there was one. A write killed on the way leaves only
// its temporary files, which the next write of the same file removes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace lumo::base {

// Puts a finished temporary file in the place of the target, saying why it
// could not. ReplaceByRename is the real one; tests pass one that fails, as
// a folder the user may not change makes it fail.
using ReplaceStep
    = std::function<std::error_code(const std::filesystem::path& temporary, const std::filesystem::path& target)>;
std::error_code ReplaceByRename(const std::filesystem::path& temporary, const std::filesystem::path& target);

struct AtomicWrite {
    // The file there now becomes the .bak.
    bool keepBackup = false;
    // A symbolic link stays: the file it points at is the one written.
    bool throughLinks = false;
    // Called after each step on disk and each stretch written, so that tests
    // can stop a write there.
    std::function<void()> step;
    ReplaceStep replace = ReplaceByRename;
    // The modification time the written file gets, where the file system
    // takes it (none: the time of the write).
    std::optional<std::filesystem::file_time_type> modified;
};

// One write of a file, its content given piece by piece. Destroyed before
// commit() succeeded, it leaves the file as it was.
class AtomicFile {
public:
    explicit AtomicFile(const std::filesystem::path& target, AtomicWrite how = {});
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Removes earlier writes' leftovers, makes the .bak, opens the temporary.
    std::error_code open();
    // Small pieces are gathered, large ones go to the file as they are.
    void put(const char* p, std::size_t n);
    // Puts the new content on the disk and under the file's name.
    std::error_code commit();
    // After commit(): the modification time the file was left with.
    std::filesystem::file_time_type modified() const { return modified_; }

private:
    class Output;
    void stepDone() const;
    void dropTemporary();

    std::filesystem::path target_, temporary_;
    AtomicWrite how_;
    Output* out_ = nullptr;
    std::filesystem::file_time_type modified_{};
    bool replacing_ = false;
};

// The whole content at once. With inPlace, where the folder takes no new
// file or no rename but the file itself is writable (a read-only folder),
// the file is changed in place as RewriteFileInPlace does. On failure the
// file is untouched.
std::error_code WriteFileAtomic(const std::filesystem::path& target, std::string_view bytes,
                                const AtomicWrite& how = {}, bool inPlace = false);

// Changes an existing file's content in place, put on the disk. Growth is
// written first, so a full disk stops it before an old byte changes; on any
// other failure the old content is written back.
std::error_code RewriteFileInPlace(const std::filesystem::path& path, std::string_view bytes);

// Removes what interrupted writes of the file left beside it (but not the
// temporary of a write still under way, in this program or another).
void RemoveWriteLeftovers(const std::filesystem::path& target);

// Puts a written file (or a folder's entries) on the disk.
void FlushToDisk(const std::filesystem::path& path, bool folder);

} // namespace lumo::base
