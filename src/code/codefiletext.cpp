#include "codefiletext.h"

#include <QSaveFile>
#include <QStringDecoder>
#include <QTextCursor>
#include <QTextDocument>

namespace vexa::codefile {

QString documentText(const QTextDocument &document, int start, int end)
{
    const int size = document.characterCount() - 1;
    QString text;
    if (start <= 0 && (end < 0 || end >= size)) {
        text = document.toRawText();
    } else {
        QTextCursor range(const_cast<QTextDocument *>(&document));
        range.setPosition(qBound(0, start, size));
        range.setPosition(qBound(0, end < 0 ? size : end, size), QTextCursor::KeepAnchor);
        text = range.selectedText();
    }
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

Outcome<QString> writeAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(bytes) != bytes.size()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

std::optional<QString> decodeUtf8(const QByteArray &bytes)
{
    // Stateless: a sequence cut off at the end is an error, not input awaited.
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

QString lineEndingOf(const QString &text)
{
    const qsizetype at = text.indexOf(QLatin1Char('\r'));
    if (at < 0)
        return QStringLiteral("\n");
    return at + 1 < text.size() && text.at(at + 1) == QLatin1Char('\n') ? QStringLiteral("\r\n")
                                                                     : QStringLiteral("\r");
}

QString withNewlines(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString withLineEnding(QString text, const QString &ending)
{
    if (ending != QLatin1String("\n"))
        text.replace(QLatin1Char('\n'), ending);
    return text;
}

} // namespace vexa::codefile
