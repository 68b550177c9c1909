// A folder that takes no new entries while the guard lives, whatever rights
// the tests run with: the immutable attribute where the file system and our
// rights allow it (root ignores permission bits), else the permission bits.
// Files already inside stay writable, as in a program folder the user may
// not change with a settings file made writable for them.
#pragma once

#include <QFile>
#include <QString>

#ifdef __linux__
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace lumo::test {

class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& nativeFolder) : folder_(nativeFolder)
    {
#ifdef __linux__
        immutable_ = setFlags(true);
#endif
        if (!immutable_)
            QFile::setPermissions(folder_, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    ~ReadOnlyFolder()
    {
#ifdef __linux__
        if (immutable_) {
            setFlags(false);
            return;
        }
#endif
        QFile::setPermissions(folder_,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    // False when neither way stops a new file here (for example a file
    // system without the attribute, under root).
    bool works() const
    {
        QFile probe(folder_ + QStringLiteral("/probe.tmp"));
        if (!probe.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return true;
        probe.close();
        probe.remove();
        return false;
    }

private:
#ifdef __linux__
    bool setFlags(bool immutable) const
    {
        const int fd = ::open(QFile::encodeName(folder_).constData(), O_RDONLY | O_DIRECTORY);
        if (fd < 0)
            return false;
        int flags = 0;
        bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (done) {
            flags = immutable ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
            done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        return done;
    }
#endif

    QString folder_;
    bool immutable_ = false;
};

} // namespace lumo::test
