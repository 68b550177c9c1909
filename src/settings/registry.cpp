// Registry values of the suite. On Windows the registry itself; elsewhere a
// file in the format the Windows registry editor exports, so that a suite
// set up on Windows can bring its keys along ("regedit /e"), and a user can
// write one by hand.

#include "settings/suite.h"

#include "util/dialogs.h"
#include "util/encoding.h"
#include "util/numbers.h"
#include "util/text.h"
#include "util/titles.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringList>
#include <QtGlobal>

#include <cerrno>
#include <optional>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace lumo {

namespace {

// Values are read into a buffer of 40 bytes, the terminating zero included.
constexpr qsizetype kBufferSize = 40;

[[maybe_unused]] constexpr int kErrorFileNotFound = 2; // a missing key or value (Windows only)
constexpr int kErrorAccessDenied = 5;
constexpr int kErrorMoreData = 234; // the value does not fit the buffer
constexpr int kErrorBadDatabase = 1009; // not a registry file

const QString kBrak = QStringLiteral("Brak");

void ShowRegistryError(Dialogs& dialogs, int code)
{
    dialogs.message(kApplicationTitle, QStringLiteral("Registry access error number: ") + StrNumber(code),
                    DialogIcon::None, DialogButtons::Ok, DialogAnswer::Ok);
}

// What the buffer holds after a successful read: cut at the first zero,
// blanks around removed. Bytes the value does not cover stay blanks.
QString BufferText(const QByteArray& data)
{
    QByteArray buffer = data.left(kBufferSize);
    buffer.append(QByteArray(kBufferSize - buffer.size(), ' '));
    const qsizetype zero = buffer.indexOf('\0');
    if (zero >= 0)
        buffer.truncate(zero);
    return TrimBlanks(FromAnsi(buffer));
}

// ---- the registry export file ------------------------------------------

QString RootName(RegistryRoot root)
{
    switch (root) {
    case RegistryRoot::CurrentUser: return QStringLiteral("HKEY_CURRENT_USER");
    case RegistryRoot::LocalMachine: return QStringLiteral("HKEY_LOCAL_MACHINE");
    case RegistryRoot::ClassesRoot: return QStringLiteral("HKEY_CLASSES_ROOT");
    case RegistryRoot::Users: return QStringLiteral("HKEY_USERS");
    }
    return {};
}

// A key path compared without regard to case, separators tidied, the short
// root names of the command-line tools accepted.
QString NormalizedKey(const QString& path)
{
    QStringList parts = path.split(u'\\', Qt::SkipEmptyParts);
    for (QString& part : parts)
        part = part.trimmed().toCaseFolded();
    if (!parts.isEmpty()) {
        static const QHash<QString, QString> kShortRoots = {
            {QStringLiteral("hkcu"), QStringLiteral("hkey_current_user")},
            {QStringLiteral("hklm"), QStringLiteral("hkey_local_machine")},
            {QStringLiteral("hkcr"), QStringLiteral("hkey_classes_root")},
            {QStringLiteral("hku"), QStringLiteral("hkey_users")},
        };
        parts.front() = kShortRoots.value(parts.front(), parts.front());
    }
    return parts.join(u'\\');
}

struct ExportFile {
    bool unicode = false; // "Windows Registry Editor Version 5.00"
    // key -> value name -> the bytes an ANSI query of the value returns
    QHash<QString, QHash<QString, QByteArray>> keys;
};

QString DecodeFile(const QByteArray& bytes)
{
    if (bytes.startsWith("\xFF\xFE"))
        return QString(reinterpret_cast<const QChar*>(bytes.constData() + 2), (bytes.size() - 2) / 2);
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    return FromAnsi(bytes);
}

// A quoted text with \\ and \" escapes, starting at text[pos] == '"'. pos
// ends after the closing quote.
std::optional<QString> QuotedText(QStringView text, qsizetype& pos)
{
    QString result;
    for (++pos; pos < text.size(); ++pos) {
        const QChar c = text[pos];
        if (c == u'\\' && pos + 1 < text.size()) {
            result += text[++pos];
        } else if (c == u'"') {
            ++pos;
            return result;
        } else {
            result += c;
        }
    }
    return std::nullopt;
}

std::optional<QByteArray> HexBytes(QStringView list)
{
    QByteArray bytes;
    bytes.reserve(list.size() / 3 + 1);
    for (const QStringView item : list.tokenize(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const uint value = item.trimmed().toUInt(&ok, 16);
        if (!ok || value > 0xFF)
            return std::nullopt;
        bytes.append(static_cast<char>(value));
    }
    return bytes;
}

// The bytes an ANSI query returns for the value's data as written in the
// file; nullopt for a deletion ("name"=-) and for data we cannot read.
std::optional<QByteArray> ValueData(QStringView data, bool unicodeFile, bool& deleted)
{
    deleted = false;
    const QStringView d = data.trimmed();
    if (d == u"-") {
        deleted = true;
        return std::nullopt;
    }
    if (d.startsWith(u'"')) {
        qsizetype pos = 0;
        const std::optional<QString> text = QuotedText(d, pos);
        if (!text)
            return std::nullopt;
        return ToAnsi(*text) + QByteArray(1, '\0');
    }
    if (d.startsWith(u"dword:", Qt::CaseInsensitive)) {
        bool ok = false;
        const uint value = d.mid(6).trimmed().toUInt(&ok, 16);
        if (!ok)
            return std::nullopt;
        QByteArray bytes;
        for (int i = 0; i < 4; ++i)
            bytes.append(static_cast<char>((value >> (8 * i)) & 0xFF));
        return bytes;
    }
    if (d.startsWith(u"hex", Qt::CaseInsensitive)) {
        const qsizetype colon = d.indexOf(u':');
        if (colon < 0)
            return std::nullopt;
        int type = 3; // binary
        const QStringView kind = d.mid(3, colon - 3).trimmed();
        if (!kind.isEmpty()) {
            if (!kind.startsWith(u'(') || !kind.endsWith(u')'))
                return std::nullopt;
            bool ok = false;
            type = kind.mid(1, kind.size() - 2).toInt(&ok, 16);
            if (!ok)
                return std::nullopt;
        }
        std::optional<QByteArray> bytes = HexBytes(d.mid(colon + 1));
        if (!bytes)
            return std::nullopt;
        // Text types (plain, expandable, multiple) are stored as UTF-16 in a
        // version 5 file; an ANSI query converts them.
        const bool textType = type == 1 || type == 2 || type == 7;
        if (textType && unicodeFile) {
            const QString text(reinterpret_cast<const QChar*>(bytes->constData()), bytes->size() / 2);
            return ToAnsi(text);
        }
        return bytes;
    }
    return std::nullopt;
}

// Reads an export in one pass: every line is looked at once, and each value
// goes into the map as it is met. Long hex values go on over several lines,
// each but the last ending with a backslash; those are gathered into one
// line first (appending, so a value of megabytes costs no more than its
// length).
class ExportParser {
public:
    std::optional<ExportFile> parse(QStringView text)
    {
        qsizetype start = 0;
        while (true) {
            qsizetype end = start;
            while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
                ++end;
            physicalLine(text.mid(start, end - start));
            if (end == text.size())
                break;
            start = end + (text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n' ? 2 : 1);
        }
        if (continuing_)
            logicalLine(QStringView(joined_).trimmed());
        if (state_ != State::Body)
            return std::nullopt;
        return std::move(file_);
    }

private:
    enum class State { Header, Body, NotAnExport };

    void physicalLine(QStringView line)
    {
        if (continuing_) {
            joined_ += line.trimmed();
            while (!joined_.isEmpty() && joined_.back().isSpace())
                joined_.chop(1);
            if (joined_.endsWith(u'\\')) {
                joined_.chop(1);
                return;
            }
            continuing_ = false;
            logicalLine(joined_);
            joined_.clear();
            return;
        }
        const QStringView trimmed = line.trimmed();
        if (trimmed.endsWith(u'\\') && trimmed.contains(u"=hex")) {
            joined_ = trimmed.chopped(1).toString();
            continuing_ = true;
            return;
        }
        logicalLine(trimmed);
    }

    // A whole line, trimmed.
    void logicalLine(QStringView line)
    {
        switch (state_) {
        case State::NotAnExport: return;
        case State::Header:
            if (line.isEmpty())
                return;
            if (line == u"Windows Registry Editor Version 5.00") {
                file_.unicode = true;
                state_ = State::Body;
            } else if (line == u"REGEDIT4") {
                state_ = State::Body;
            } else {
                state_ = State::NotAnExport;
            }
            return;
        case State::Body: bodyLine(line); return;
        }
    }

    void bodyLine(QStringView line)
    {
        if (line.isEmpty() || line.startsWith(u';'))
            return;
        if (line.startsWith(u'[')) {
            const qsizetype close = line.lastIndexOf(u']');
            const QString path = line.mid(1, close > 0 ? close - 1 : line.size() - 1).toString();
            if (path.startsWith(u'-')) {
                // A deleted key takes its subkeys with it.
                const QString gone = NormalizedKey(path.mid(1));
                for (auto it = file_.keys.begin(); it != file_.keys.end();) {
                    if (it.key() == gone || it.key().startsWith(gone + u'\\'))
                        it = file_.keys.erase(it);
                    else
                        ++it;
                }
                current_ = nullptr;
                return;
            }
            current_ = &file_.keys[NormalizedKey(path)];
            return;
        }
        if (!current_)
            return;
        QString name;
        qsizetype pos = 0;
        if (line.startsWith(u'@')) {
            pos = 1;
        } else if (line.startsWith(u'"')) {
            const std::optional<QString> quoted = QuotedText(line, pos);
            if (!quoted)
                return;
            name = *quoted;
        } else {
            return;
        }
        while (pos < line.size() && line[pos] == u' ')
            ++pos;
        if (pos >= line.size() || line[pos] != u'=')
            return;
        bool deleted = false;
        const std::optional<QByteArray> data = ValueData(line.mid(pos + 1), file_.unicode, deleted);
        const QString folded = name.toCaseFolded();
        if (deleted)
            current_->remove(folded);
        else if (data)
            current_->insert(folded, *data);
    }

    ExportFile file_;
    State state_ = State::Header;
    QHash<QString, QByteArray>* current_ = nullptr;
    QString joined_; // a value running on over lines, backslashes removed
    bool continuing_ = false; // joined_ goes on in the next line
};

int ReadErrorCode(const QFile& file)
{
    if (file.error() == QFileDevice::PermissionsError || errno == EACCES || errno == EPERM)
        return kErrorAccessDenied;
    if (QFileInfo(file.fileName()).isDir())
        return kErrorAccessDenied;
    return errno != 0 ? errno : kErrorAccessDenied;
}

} // namespace

QString RegReadStringFromFile(Dialogs& dialogs, const QString& registryFile, RegistryRoot root,
                              const QString& subkey, const QString& valueName)
{
    // A missing file is a registry without the suite's keys, as on a machine
    // where the suite was never set up: every value reads as "Brak" with no
    // message, and the callers meet the missing folders later, exactly as
    // they would on Windows.
    QFile file(registryFile);
    if (!file.exists())
        return kBrak;
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        ShowRegistryError(dialogs, ReadErrorCode(file));
        return {};
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        ShowRegistryError(dialogs, ReadErrorCode(file));
        return {};
    }
    const std::optional<ExportFile> parsed = ExportParser().parse(DecodeFile(bytes));
    if (!parsed) {
        ShowRegistryError(dialogs, kErrorBadDatabase);
        return {};
    }

    const auto key = parsed->keys.constFind(NormalizedKey(RootName(root) + u'\\' + subkey));
    if (key == parsed->keys.constEnd())
        return kBrak;
    const auto value = key->constFind(valueName.toCaseFolded());
    if (value == key->constEnd())
        return kBrak;
    if (value->size() > kBufferSize) {
        ShowRegistryError(dialogs, kErrorMoreData);
        return {};
    }
    return BufferText(*value);
}

#ifdef _WIN32

namespace {

HKEY RootKey(RegistryRoot root)
{
    switch (root) {
    case RegistryRoot::CurrentUser: return HKEY_CURRENT_USER;
    case RegistryRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegistryRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RegistryRoot::Users: return HKEY_USERS;
    }
    return HKEY_CURRENT_USER;
}

} // namespace

QString RegReadString(Dialogs& dialogs, const QString&, RegistryRoot root, const QString& subkey,
                      const QString& valueName)
{
    HKEY key = nullptr;
    LONG rc = RegOpenKeyExA(RootKey(root), ToAnsi(subkey).constData(), 0, KEY_ALL_ACCESS, &key);
    if (rc == kErrorFileNotFound)
        return kBrak;
    if (rc != ERROR_SUCCESS) {
        ShowRegistryError(dialogs, static_cast<int>(rc));
        return {};
    }
    QByteArray buffer(kBufferSize, ' ');
    DWORD size = static_cast<DWORD>(kBufferSize);
    rc = RegQueryValueExA(key, ToAnsi(valueName).constData(), nullptr, nullptr,
                          reinterpret_cast<LPBYTE>(buffer.data()), &size);
    RegCloseKey(key);
    if (rc == kErrorFileNotFound)
        return kBrak;
    if (rc != ERROR_SUCCESS) {
        ShowRegistryError(dialogs, static_cast<int>(rc));
        return {};
    }
    return BufferText(buffer);
}

#else

QString RegReadString(Dialogs& dialogs, const QString& registryFile, RegistryRoot root, const QString& subkey,
                      const QString& valueName)
{
    return RegReadStringFromFile(dialogs, registryFile, root, subkey, valueName);
}

#endif

} // namespace lumo
