#include "util/encoding.h"

#include "base/code_page.h"

namespace lumo {

QString FromAnsi(const QByteArray& bytes)
{
    return QString::fromStdString(base::AnsiToUtf8(std::string_view(bytes.constData(), bytes.size())));
}

QByteArray ToAnsi(const QString& text)
{
    return QByteArray::fromStdString(base::Utf8ToAnsi(text.toStdString()));
}

} // namespace lumo
