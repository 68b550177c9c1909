#include "base/atomic_file.h"

#include "base/paths.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace lumo::base {

namespace {

// A write's own temporary files lie beside the file as
// "<name>.lumo-save-<hex>.tmp"; earlier versions of the program left
// "<name>.tmp<digits>". Nothing else is named so.
constexpr std::string_view kTempMark = ".lumo-save-";
constexpr std::string_view kTempEnd = ".tmp";

// What the system said last, as an error code (a plain input/output error
// where it said nothing).
std::error_code lastError()
{
    return {errno ? errno : EIO, std::generic_category()};
}

bool allDigits(std::string_view s, bool hex)
{
    if (s.empty())
        return false;
    return std::all_of(s.begin(), s.end(),
                       [hex](char c) { return (c >= '0' && c <= '9') || (hex && c >= 'a' && c <= 'f'); });
}

bool isLeftover(std::string_view name, std::string_view file)
{
    if (name.size() <= file.size() || name.substr(0, file.size()) != file)
        return false;
    name.remove_prefix(file.size());
    if (name.starts_with(kTempMark) && name.ends_with(kTempEnd)) {
        name.remove_prefix(kTempMark.size());
        name.remove_suffix(kTempEnd.size());
        return name.size() <= 16 && allDigits(name, true);
    }
    if (name.starts_with(kTempEnd)) {
        name.remove_prefix(kTempEnd.size());
        return name.size() <= 6 && allDigits(name, false);
    }
    return false;
}

fs::path temporaryBeside(const fs::path& target)
{
    std::random_device random;
    const std::uint64_t tag = (std::uint64_t(random()) << 32) ^ random();
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(tag));
    fs::path p = target;
    p += std::string(kTempMark) + text + std::string(kTempEnd);
    return p;
}

// A write still under way (in this program or another) holds a lock on its
// temporary file; its file is left alone.
bool beingWritten(const fs::path& file)
{
#ifdef _WIN32
    (void)file; // an open file cannot be removed there anyway
    return false;
#else
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    const bool locked = ::flock(fd, LOCK_SH | LOCK_NB) != 0;
    ::close(fd);
    return locked;
#endif
}

// The .bak's storage may be written over when it is a plain file of no one
// else: a single link, so neither the file itself nor anyone's copy.
// (Windows' C library counts no links, so there the storage is fresh.)
bool lendable(const fs::path& bak)
{
#ifdef _WIN32
    (void)bak;
    return false;
#else
    std::error_code ec;
    return fs::is_regular_file(fs::symlink_status(bak, ec)) && fs::hard_link_count(bak, ec) == 1 && !ec;
#endif
}

// Gives a written file the modification time asked for, where the file
// system keeps such a time (one that keeps none keeps its own: the time only
// spares a later look at the bytes).
void setModified(const fs::path& file, const std::optional<fs::file_time_type>& modified)
{
    std::error_code ignore;
    if (modified)
        fs::last_write_time(file, *modified, ignore);
}

} // namespace

void FlushToDisk(const fs::path& path, bool folder)
{
#ifdef _WIN32
    if (folder)
        return; // the file system journals the rename itself
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        FlushFileBuffers(file);
        CloseHandle(file);
    }
#else
    const int fd = ::open(path.c_str(), O_RDONLY | (folder ? O_DIRECTORY : 0));
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#endif
}

void RemoveWriteLeftovers(const fs::path& target)
{
    const fs::path dir = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    const std::string file = TextOf(target.filename());
    std::vector<fs::path> found;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        if (isLeftover(TextOf(it->path().filename()), file))
            found.push_back(it->path());
    for (const fs::path& leftover : found) {
        std::error_code ignore;
        if (fs::is_regular_file(fs::symlink_status(leftover, ignore)) && !beingWritten(leftover))
            fs::remove(leftover, ignore);
    }
}

std::error_code ReplaceByRename(const fs::path& temporary, const fs::path& target)
{
    std::error_code ec;
    fs::rename(temporary, target, ec);
    return ec;
}

// The temporary file being written, cut to the length written and put on
// the disk at the end. On Linux each stretch written is handed to the disk
// at once, so that the disk works while the rest is copied and the final
// flush finds little left to do.
class AtomicFile::Output {
public:
    explicit Output(const std::function<void()>& step) : step_(step) { }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;
    std::error_code error() const { return error_; }
#ifdef _WIN32
    // A new file; false when it cannot be made.
    bool create(const fs::path& path) { return openAs(path, std::ios::binary | std::ios::out | std::ios::trunc); }
    // An existing file, written over from its start.
    bool reuse(const fs::path& path) { return openAs(path, std::ios::binary | std::ios::in | std::ios::out); }
    void keepModeOf(const fs::path&) { }
    void put(const char* p, std::size_t n)
    {
        if (!error_) {
            errno = 0;
            if (!f_.write(p, static_cast<std::streamsize>(n)))
                error_ = lastError();
        }
        written_ += n;
    }
    // False if anything failed on the way.
    bool finish(const std::optional<fs::file_time_type>& modified)
    {
        errno = 0;
        f_.close();
        if (f_.fail() && !error_)
            error_ = lastError();
        std::error_code ec;
        if (!error_)
            fs::resize_file(path_, written_, ec);
        if (ec)
            error_ = ec;
        if (!error_) {
            setModified(path_, modified);
            FlushToDisk(path_, false);
        }
        return !error_;
    }

private:
    bool openAs(const fs::path& path, std::ios::openmode mode)
    {
        path_ = path;
        errno = 0;
        f_.open(path, mode);
        error_ = f_.is_open() ? std::error_code() : lastError();
        return f_.is_open();
    }

    std::fstream f_;
    fs::path path_;
    std::uintmax_t written_ = 0;
#else
    ~Output()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool create(const fs::path& path) { return openAs(path, O_WRONLY | O_CREAT | O_EXCL); }
    // What the storage holds already at the same place is left as it is:
    // writing a version again (a drawing's undo, redo) puts almost nothing
    // on the disk.
    bool reuse(const fs::path& path)
    {
        comparing_ = openAs(path, O_RDWR | O_NOFOLLOW);
        return comparing_;
    }
    // The new file gets the permissions of the one it replaces.
    void keepModeOf(const fs::path& original)
    {
        struct stat st;
        if (::stat(original.c_str(), &st) == 0)
            ::fchmod(fd_, st.st_mode & 07777);
    }
    void put(const char* p, std::size_t n)
    {
        // small pieces are gathered, large runs go as they are (after what
        // was gathered)
        const bool large = n >= kBuffer / 4;
        if (large || buffer_.size() + n > kBuffer)
            drain();
        if (large)
            writeOut(p, n);
        else
            buffer_.append(p, n);
    }
    bool finish(const std::optional<fs::file_time_type>& modified)
    {
        drain();
        if (!error_ && ::ftruncate(fd_, static_cast<off_t>(written_)) != 0)
            error_ = lastError();
        if (!error_)
            setModified(path_, modified);
        if (!error_ && ::fsync(fd_) != 0)
            error_ = lastError();
        if (::close(fd_) != 0 && !error_)
            error_ = lastError();
        fd_ = -1;
        return !error_;
    }

private:
    static constexpr std::size_t kBuffer = std::size_t(1) << 20, kStretch = std::size_t(8) << 20;
    // Compared a piece at a time; text after a change of length lies shifted
    // against the old, so a few differing pieces in a row end the comparing.
    static constexpr std::size_t kCompared = std::size_t(1) << 20;
    static constexpr int kDifferingBeforeGivingUp = 4;

    bool openAs(const fs::path& path, int flags)
    {
        path_ = path;
        fd_ = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
        if (fd_ < 0) {
            error_ = lastError();
            return false;
        }
        error_.clear(); // (a first file that could not be opened is forgotten)
        // (see beingWritten)
        ::flock(fd_, LOCK_EX | LOCK_NB);
        return true;
    }
    void drain()
    {
        writeOut(buffer_.data(), buffer_.size());
        buffer_.clear();
    }
    // Whether the storage holds these bytes at the place they go already.
    bool alreadyThere(const char* p, std::size_t n)
    {
        if (!comparing_)
            return false;
        held_.resize(n);
        const ssize_t r = ::pread(fd_, held_.data(), n, static_cast<off_t>(written_));
        if (r == static_cast<ssize_t>(n) && std::memcmp(held_.data(), p, n) == 0) {
            differingInARow_ = 0;
            return true;
        }
        if (r != static_cast<ssize_t>(n) || ++differingInARow_ >= kDifferingBeforeGivingUp) {
            comparing_ = false;
            held_ = std::string();
        }
        return false;
    }
    void writeOut(const char* p, std::size_t n)
    {
        while (n > 0 && !error_) {
            const std::size_t piece = std::min(n, comparing_ ? kCompared : kStretch);
            ssize_t w = static_cast<ssize_t>(piece);
            if (!alreadyThere(p, piece)) {
                w = ::pwrite(fd_, p, piece, static_cast<off_t>(written_));
                if (w < 0 && errno == EINTR)
                    continue;
                if (w <= 0) {
                    error_ = w < 0 ? lastError() : std::make_error_code(std::errc::io_error);
                    return;
                }
            }
            p += w;
            n -= static_cast<std::size_t>(w);
            written_ += static_cast<std::uint64_t>(w);
#ifdef __linux__
            if (written_ - handed_ >= kStretch) {
                ::sync_file_range(fd_, static_cast<off_t>(handed_), static_cast<off_t>(written_ - handed_),
                                  SYNC_FILE_RANGE_WRITE);
                handed_ = written_;
            }
#endif
            if (step_)
                step_();
        }
    }

    int fd_ = -1;
    fs::path path_;
    std::string buffer_;
    std::uint64_t written_ = 0, handed_ = 0; // bytes written; of them, handed to the disk
    bool comparing_ = false;
    std::string held_; // what the storage holds where the next piece goes
    int differingInARow_ = 0;
#endif
    const std::function<void()>& step_;
    std::error_code error_;
};

namespace {

// Makes the file there now the .bak in one step: a link to it (or, where
// the file system has none, a copy) made under a temporary name is renamed
// over the old .bak, so that some complete .bak is there at every moment.
std::error_code keepAsBackup(const fs::path& target, const fs::path& bak, const std::function<void()>& step)
{
    std::error_code ec;
    if (fs::equivalent(target, bak, ec))
        return {}; // it already is (a write stopped short of its end)
    const fs::path link = temporaryBeside(target);
    ec.clear();
    fs::create_hard_link(target, link, ec);
    if (ec) {
        ec.clear();
        fs::copy_file(target, link, ec);
        if (!ec)
            FlushToDisk(link, false);
    }
    if (step)
        step();
    if (!ec)
        fs::rename(link, bak, ec);
    if (ec) {
        std::error_code ignore;
        fs::remove(link, ignore);
    }
    return ec;
}

} // namespace

AtomicFile::AtomicFile(const fs::path& target, AtomicWrite how) : target_(target), how_(std::move(how))
{
    std::error_code ec;
    if (how_.throughLinks && fs::is_symlink(target_, ec)) {
        const fs::path pointed = fs::read_symlink(target_, ec);
        if (!ec)
            target_ = pointed.is_absolute() ? pointed : target_.parent_path() / pointed;
    }
    out_ = new Output(how_.step);
}

AtomicFile::~AtomicFile()
{
    delete out_;
    if (!temporary_.empty())
        dropTemporary();
}

void AtomicFile::stepDone() const
{
    if (how_.step)
        how_.step();
}

void AtomicFile::dropTemporary()
{
    std::error_code ignore;
    fs::remove(temporary_, ignore);
    temporary_.clear();
}

std::error_code AtomicFile::open()
{
    RemoveWriteLeftovers(target_);
    std::error_code ec;
    const auto status = fs::status(target_, ec);
    if (fs::is_directory(status))
        return std::make_error_code(std::errc::is_a_directory);
    replacing_ = fs::exists(status);
    fs::path bak = target_;
    bak += ".bak";

    // The storage of the .bak about to be replaced is written over when it
    // may be (fresh blocks or pages would first be cleared by the system):
    // it is linked under the temporary name before the .bak moves on.
    temporary_ = temporaryBeside(target_);
    bool lent = false;
    if (how_.keepBackup && replacing_ && lendable(bak)) {
        fs::create_hard_link(bak, temporary_, ec);
        lent = !ec;
        stepDone();
    }
    if (!lent)
        temporary_.clear();
    if (how_.keepBackup && replacing_) {
        if (const auto failed = keepAsBackup(target_, bak, how_.step))
            return failed; // (the destructor drops a lent temporary)
    }
    if (lent && !out_->reuse(temporary_)) {
        dropTemporary();
        lent = false;
    }
    if (!lent) {
        const fs::path fresh = temporaryBeside(target_);
        if (!out_->create(fresh))
            return out_->error();
        temporary_ = fresh;
    }
    stepDone();
    if (replacing_)
        out_->keepModeOf(target_);
    return {};
}

void AtomicFile::put(const char* p, std::size_t n)
{
    out_->put(p, n);
}

std::error_code AtomicFile::commit()
{
    if (!out_->finish(how_.modified)) {
        dropTemporary();
        return out_->error();
    }
    // (the temporary is this write's own: nobody else changes it)
    std::error_code ec;
    modified_ = fs::last_write_time(temporary_, ec);
    stepDone();
    if (const auto refused = how_.replace(temporary_, target_)) {
        dropTemporary();
        return refused;
    }
    temporary_.clear();
    stepDone();
    FlushToDisk(target_.parent_path().empty() ? fs::path(".") : target_.parent_path(), true);
    return {};
}

std::error_code WriteFileAtomic(const fs::path& target, std::string_view bytes, const AtomicWrite& how, bool inPlace)
{
    std::error_code failed;
    fs::path written = target;
    {
        AtomicFile file(target, how);
        failed = file.open();
        if (!failed) {
            file.put(bytes.data(), bytes.size());
            failed = file.commit();
        }
    }
    if (!failed || !inPlace)
        return failed;
    // The folder takes no new file or no rename (a program folder the user
    // may not change, a file mounted on its own), while the file itself may
    // still be writable: Windows' own writer changes such a file in place,
    // and so do we.
    std::error_code ec;
    fs::path inPlaceTarget = target;
    if (how.throughLinks && fs::is_symlink(target, ec))
        inPlaceTarget = fs::canonical(target, ec);
    if (!fs::is_regular_file(inPlaceTarget, ec))
        return failed;
    return RewriteFileInPlace(inPlaceTarget, bytes);
}

namespace {

// The open file of an in-place rewrite, read, written and cut by position.
class InPlace {
public:
    explicit InPlace(const fs::path& path)
    {
#ifdef _WIN32
        fd_ = ::_wopen(path.c_str(), _O_RDWR | _O_BINARY);
#else
        fd_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
#endif
    }
    ~InPlace()
    {
#ifdef _WIN32
        if (fd_ >= 0)
            ::_close(fd_);
#else
        if (fd_ >= 0)
            ::close(fd_);
#endif
    }
    InPlace(const InPlace&) = delete;
    InPlace& operator=(const InPlace&) = delete;

    bool ok() const { return fd_ >= 0; }

    bool readAll(std::string& into)
    {
        char buffer[65536];
        for (;;) {
#ifdef _WIN32
            const int n = ::_read(fd_, buffer, sizeof buffer);
#else
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
#endif
            if (n < 0)
                return false;
            if (n == 0)
                return true;
            into.append(buffer, static_cast<std::size_t>(n));
        }
    }

    bool writeAt(std::uint64_t offset, std::string_view bytes)
    {
#ifdef _WIN32
        if (::_lseeki64(fd_, static_cast<__int64>(offset), SEEK_SET) < 0)
            return false;
#else
        if (::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0)
            return false;
#endif
        while (!bytes.empty()) {
#ifdef _WIN32
            const int n = ::_write(fd_, bytes.data(), static_cast<unsigned>(std::min<std::size_t>(bytes.size(), 1u << 30)));
#else
            const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
            if (n < 0 && errno == EINTR)
                continue;
#endif
            if (n <= 0)
                return false;
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
        return true;
    }

    bool cut(std::uint64_t size)
    {
#ifdef _WIN32
        return ::_chsize_s(fd_, static_cast<__int64>(size)) == 0;
#else
        return ::ftruncate(fd_, static_cast<off_t>(size)) == 0;
#endif
    }

    bool sync()
    {
#ifdef _WIN32
        return ::_commit(fd_) == 0;
#else
        return ::fsync(fd_) == 0;
#endif
    }

private:
    int fd_ = -1;
};

} // namespace

std::error_code RewriteFileInPlace(const fs::path& path, std::string_view bytes)
{
    errno = 0;
    InPlace file(path);
    std::string old;
    if (!file.ok() || !file.readAll(old))
        return lastError();

    // What goes beyond the old end is written first: a full disk then stops
    // us before a single old byte has changed.
    if (bytes.size() > old.size()) {
        if (!file.writeAt(old.size(), bytes.substr(old.size())) || !file.sync()) {
            const auto failed = lastError();
            file.cut(old.size());
            return failed;
        }
    }
    if (file.writeAt(0, bytes.substr(0, std::min(old.size(), bytes.size()))) && file.cut(bytes.size()) && file.sync())
        return {};
    // Put the old content back, so that a failure loses nothing.
    const auto failed = lastError();
    file.writeAt(0, old);
    file.cut(old.size());
    file.sync();
    return failed;
}

} // namespace lumo::base
