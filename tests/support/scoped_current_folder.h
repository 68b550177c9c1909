// The process's working folder changed for as long as the guard lives, as a
// program started from a shortcut, a double click or a CAD macro finds it;
// the folder it was comes back when the guard goes.
#pragma once

#include <QDir>
#include <QString>

namespace lumo::test {

class ScopedCurrentFolder {
public:
    explicit ScopedCurrentFolder(const QString& nativeFolder) : old_(QDir::currentPath())
    {
        changed_ = QDir::setCurrent(nativeFolder);
    }
    ~ScopedCurrentFolder() { QDir::setCurrent(old_); }

    ScopedCurrentFolder(const ScopedCurrentFolder&) = delete;
    ScopedCurrentFolder& operator=(const ScopedCurrentFolder&) = delete;

    bool changed() const { return changed_; }

private:
    QString old_;
    bool changed_ = false;
};

} // namespace lumo::test
