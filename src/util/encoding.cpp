#include "util/encoding.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

namespace lumo {

#ifdef _WIN32

QString FromAnsi(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return {};
    const int n
        = MultiByteToWideChar(CP_ACP, 0, bytes.constData(), static_cast<int>(bytes.size()), nullptr, 0);
    QString text(n, Qt::Uninitialized);
    MultiByteToWideChar(CP_ACP, 0, bytes.constData(), static_cast<int>(bytes.size()),
                        reinterpret_cast<wchar_t*>(text.data()), n);
    return text;
}

QByteArray ToAnsi(const QString& text)
{
    if (text.isEmpty())
        return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    const int n
        = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    QByteArray bytes(n, Qt::Uninitialized);
    WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
    return bytes;
}

#else

namespace {

// One conversion with glibc's iconv; `onInvalid` decides what one
// unconvertible input unit becomes and how many input bytes it spans.
class Iconv {
public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) { }
    ~Iconv()
    {
        if (cd_ != reinterpret_cast<iconv_t>(-1))
            iconv_close(cd_);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    template <typename OnInvalid> QByteArray convert(const char* data, std::size_t size, OnInvalid onInvalid)
    {
        QByteArray out;
        out.reserve(static_cast<qsizetype>(size * 2));
        char buffer[4096];
        char* in = const_cast<char*>(data);
        std::size_t inLeft = size;
        while (inLeft > 0) {
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t rc = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<qsizetype>(outPtr - buffer));
            if (rc != static_cast<std::size_t>(-1))
                continue;
            if (errno == E2BIG)
                continue;
            // EILSEQ or EINVAL: a unit the code page lacks, or a cut-off one.
            const std::size_t skipped = onInvalid(in, inLeft, out);
            in += skipped;
            inLeft -= skipped;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        return out;
    }

private:
    iconv_t cd_;
};

} // namespace

QString FromAnsi(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return {};
    Iconv cv("UTF-16LE", "CP1250");
    if (!cv.ok())
        return QString::fromLatin1(bytes);
    // The five byte values Windows-1250 leaves undefined come through as the
    // control characters of the same value, as Windows reads them.
    const QByteArray utf16 = cv.convert(bytes.constData(), static_cast<std::size_t>(bytes.size()),
                                        [](const char* at, std::size_t, QByteArray& out) {
                                            out.append(*at);
                                            out.append('\0');
                                            return std::size_t{1};
                                        });
    return QString(reinterpret_cast<const QChar*>(utf16.constData()), utf16.size() / 2);
}

QByteArray ToAnsi(const QString& text)
{
    if (text.isEmpty())
        return {};
    Iconv cv("CP1250", "UTF-16LE");
    if (!cv.ok())
        return text.toLatin1();
    return cv.convert(reinterpret_cast<const char*>(text.utf16()), static_cast<std::size_t>(text.size()) * 2,
                      [](const char* at, std::size_t left, QByteArray& out) {
                          const char16_t unit = static_cast<char16_t>(
                              static_cast<unsigned char>(at[0])
                              | (left > 1 ? static_cast<unsigned char>(at[1]) << 8 : 0));
                          if (unit == 0x81 || unit == 0x83 || unit == 0x88 || unit == 0x90 || unit == 0x98) {
                              out.append(static_cast<char>(unit));
                              return std::size_t{2};
                          }
                          out.append('?');
                          // A surrogate pair is one character: one "?".
                          const bool pair = unit >= 0xD800 && unit <= 0xDBFF && left >= 4;
                          return std::min<std::size_t>(left, pair ? 4 : 2);
                      });
}

#endif

} // namespace lumo
