#include "sharing.h"

namespace vexa::style {

QUrl mailUrl(const QString &body)
{
    // Line breaks travel as %0D%0A, as mail clients expect in a mailto body.
    QString text = body;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return QUrl::fromEncoded("mailto:?body=" + QUrl::toPercentEncoding(text), QUrl::StrictMode);
}

} // namespace vexa::style
