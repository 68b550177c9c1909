// The ANSI code page of settings, list and registry files: the system's on
// Windows, Windows-1250 elsewhere (the code page the suite's Polish files are
// written in).
#pragma once

#include <QByteArray>
#include <QString>

namespace lumo {

QString FromAnsi(const QByteArray& bytes);

// Characters the code page lacks become "?", as Windows writes them.
QByteArray ToAnsi(const QString& text);

} // namespace lumo
