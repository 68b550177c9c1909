#include "settings/ini_file.h"

#include "base/names.h"

#include "util/encoding.h"
#include "util/files.h"
#include "util/text.h"

#include <QFileInfo>
#include <QStringList>

#include <optional>
#include <vector>

namespace lumo {

namespace {

// The longest value a read returns: the platform's reader is given a buffer
// of 2048 characters including the terminating zero.
constexpr qsizetype kMaxValueLength = 2047;

enum class TextForm { Ansi, Utf8, Utf16LE };

bool IsIniSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

QString TrimIniSpace(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsIniSpace(text[begin]))
        ++begin;
    while (end > begin && IsIniSpace(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

bool SameName(const QString& a, const QString& b)
{
    return base::SameName(Utf8FromQString(a), Utf8FromQString(b));
}

// One line of the file: where its bytes are, and what it says.
struct Line {
    enum class Kind { Other, Comment, Section, Entry };
    qsizetype start = 0; // first byte of the content
    qsizetype length = 0; // bytes of content, line end excluded
    qsizetype eolLength = 0; // bytes of the line end (0 on a last line without one)
    QString text; // the content, decoded
    Kind kind = Kind::Other;
    QString name; // section or key name, trimmed
    qsizetype equalsAt = -1; // index of "=" in text for an entry
};

// The file split into lines without losing a byte: the bytes of every line
// we do not touch are copied back as they were.
class IniDocument {
public:
    explicit IniDocument(QByteArray bytes) : bytes_(std::move(bytes))
    {
        detectForm();
        split();
    }

    // The first section of that name; its lines are (header, end).
    std::optional<std::pair<std::size_t, std::size_t>> findSection(const QString& section) const
    {
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            if (lines_[i].kind != Line::Kind::Section || !SameName(lines_[i].name, section))
                continue;
            std::size_t end = i + 1;
            while (end < lines_.size() && lines_[end].kind != Line::Kind::Section)
                ++end;
            return std::pair{i, end};
        }
        return std::nullopt;
    }

    std::optional<std::size_t> findEntry(std::pair<std::size_t, std::size_t> section,
                                         const QString& key) const
    {
        for (std::size_t i = section.first + 1; i < section.second; ++i) {
            if (lines_[i].kind == Line::Kind::Entry && SameName(lines_[i].name, key))
                return i;
        }
        return std::nullopt;
    }

    const Line& line(std::size_t i) const { return lines_[i]; }

    // The value of an entry: trimmed, without one pair of enclosing quotes.
    static QString entryValue(const Line& line)
    {
        QString value = TrimIniSpace(line.text.mid(line.equalsAt + 1));
        if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'')
            && value.back() == value.front())
            value = value.mid(1, value.size() - 2);
        return value;
    }

    QByteArray withEntryValue(std::size_t i, const QString& value) const
    {
        const Line& l = lines_[i];
        const QString text = l.text.left(l.equalsAt + 1) + value;
        QByteArray out = bytes_.left(l.start);
        out += encode(text);
        out += bytes_.mid(l.start + l.length);
        return out;
    }

    // Adds text as a new line after line i (after its line end).
    QByteArray withLineAfter(std::size_t i, const QString& text) const
    {
        const Line& l = lines_[i];
        const qsizetype cut = l.start + l.length + l.eolLength;
        QByteArray out = bytes_.left(cut);
        if (l.eolLength == 0)
            out += eol_;
        out += encode(text) + eol_;
        out += bytes_.mid(cut);
        return out;
    }

    QByteArray withLinesAtEnd(const QStringList& texts) const
    {
        QByteArray out = bytes_;
        if (!lines_.empty() && lines_.back().eolLength == 0 && lines_.back().length > 0)
            out += eol_;
        for (const QString& text : texts)
            out += encode(text) + eol_;
        return out;
    }

    // The last line of a section that is not blank (the header at least):
    // a new key goes after it, before the blank lines that part sections.
    std::size_t lastFilledLine(std::pair<std::size_t, std::size_t> section) const
    {
        std::size_t last = section.first;
        for (std::size_t i = section.first + 1; i < section.second; ++i) {
            if (!TrimIniSpace(lines_[i].text).isEmpty())
                last = i;
        }
        return last;
    }

private:
    void detectForm()
    {
        if (bytes_.startsWith("\xEF\xBB\xBF")) {
            form_ = TextForm::Utf8;
            bomLength_ = 3;
        } else if (bytes_.startsWith("\xFF\xFE")) {
            form_ = TextForm::Utf16LE;
            bomLength_ = 2;
        }
    }

    QString decode(qsizetype start, qsizetype length) const
    {
        const QByteArray part = bytes_.mid(start, length);
        switch (form_) {
        case TextForm::Utf8: return QString::fromUtf8(part);
        case TextForm::Utf16LE:
            return QString(reinterpret_cast<const QChar*>(part.constData()), part.size() / 2);
        case TextForm::Ansi: break;
        }
        return FromAnsi(part);
    }

    QByteArray encode(const QString& text) const
    {
        switch (form_) {
        case TextForm::Utf8: return text.toUtf8();
        case TextForm::Utf16LE:
            return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        case TextForm::Ansi: break;
        }
        return ToAnsi(text);
    }

    QByteArray unit(char c) const
    {
        return form_ == TextForm::Utf16LE ? QByteArray().append(c).append('\0') : QByteArray(1, c);
    }

    void split()
    {
        const qsizetype step = form_ == TextForm::Utf16LE ? 2 : 1;
        const auto at = [&](qsizetype i) -> char {
            if (step == 2 && (i + 1 >= bytes_.size() || bytes_[i + 1] != '\0'))
                return 'x';
            return bytes_[i];
        };
        qsizetype start = bomLength_;
        bool eolKnown = false;
        eol_ = unit('\r') + unit('\n');
        while (start < bytes_.size()) {
            qsizetype i = start;
            while (i < bytes_.size() && at(i) != '\r' && at(i) != '\n')
                i += step;
            Line line;
            line.start = start;
            line.length = std::min(i, bytes_.size()) - start;
            if (i < bytes_.size()) {
                line.eolLength = step;
                if (at(i) == '\r' && i + step < bytes_.size() && at(i + step) == '\n')
                    line.eolLength = 2 * step;
                if (!eolKnown) {
                    // New lines end the way the file's lines already end.
                    eol_ = bytes_.mid(i, line.eolLength);
                    eolKnown = true;
                }
            }
            line.text = decode(line.start, line.length);
            classify(line);
            start = line.start + line.length + line.eolLength;
            lines_.push_back(std::move(line));
        }
    }

    static void classify(Line& line)
    {
        const QString trimmed = TrimIniSpace(line.text);
        if (trimmed.startsWith(u';')) {
            line.kind = Line::Kind::Comment;
        } else if (trimmed.startsWith(u'[')) {
            line.kind = Line::Kind::Section;
            const qsizetype close = trimmed.lastIndexOf(u']');
            line.name = TrimIniSpace(close > 0 ? trimmed.mid(1, close - 1) : trimmed.mid(1));
        } else if (const qsizetype eq = line.text.indexOf(u'='); eq >= 0) {
            line.kind = Line::Kind::Entry;
            line.equalsAt = eq;
            line.name = TrimIniSpace(line.text.left(eq));
        }
    }

    QByteArray bytes_;
    TextForm form_ = TextForm::Ansi;
    qsizetype bomLength_ = 0;
    QByteArray eol_;
    std::vector<Line> lines_;
};

// Whether a write may change what is there under the file's name: nothing
// yet, or a file with a write permission bit. The bits are looked at, not
// tried: the superuser could write over a read-only file, and a designer's
// read-only settings must stay as they are all the same.
bool MayWriteOver(const QString& file)
{
    const QFileInfo info(ToNativePath(file));
    if (!info.exists())
        return true;
    constexpr auto kWriteBits = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return info.isFile() && (info.permissions() & kWriteBits);
}

} // namespace

QString ReadIniString(const QString& file, const QString& section, const QString& key,
                      const QString& defaultValue)
{
    QString value = TrimRightBlanks(defaultValue);
    if (const std::optional<QByteArray> bytes = ReadFileBytes(file)) {
        const IniDocument doc(*bytes);
        if (const auto sec = doc.findSection(TrimIniSpace(section))) {
            if (const auto entry = doc.findEntry(*sec, TrimIniSpace(key)))
                value = IniDocument::entryValue(doc.line(*entry));
        }
    }
    return TrimBlanks(value.left(kMaxValueLength));
}

bool WriteIniString(const QString& file, const QString& section, const QString& key, const QString& value)
{
    const QString sectionName = TrimIniSpace(section);
    const QString keyName = TrimIniSpace(key);
    if (sectionName.isEmpty() || keyName.isEmpty())
        return false;
    QString written = value;
    while (!written.isEmpty() && IsIniSpace(written.front()))
        written.remove(0, 1);

    // A read-only file, or a folder of that name, stays as it is; the write
    // fails silently, as Windows' does.
    if (!MayWriteOver(file))
        return false;
    int error = 0;
    std::optional<QByteArray> bytes = ReadFileBytes(file, &error);
    if (!bytes) {
        if (error != 2)
            return false; // never replace a file we could not read
        bytes = QByteArray();
    }
    const IniDocument doc(*bytes);
    QByteArray updated;
    if (const auto sec = doc.findSection(sectionName)) {
        if (const auto entry = doc.findEntry(*sec, keyName)) {
            updated = doc.withEntryValue(*entry, written);
        } else {
            updated = doc.withLineAfter(doc.lastFilledLine(*sec), keyName + u'=' + written);
        }
    } else {
        updated = doc.withLinesAtEnd({u'[' + sectionName + u']', keyName + u'=' + written});
    }
    if (updated == *bytes && error == 0)
        return true;
    return WriteFileAtomic(file, updated);
}

} // namespace lumo
