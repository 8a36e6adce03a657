#include "sourcetexts.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

namespace vexa::test {

QString sourceRoot()
{
    return QStringLiteral(VEXA_SOURCE_DIR);
}

QStringList appSources(const QStringList &suffixes)
{
    QStringList files;
    const QDir root(sourceRoot());
    for (const QString &top : {QStringLiteral("src"), QStringLiteral("app")}) {
        QDirIterator it(root.filePath(top), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            for (const QString &suffix : suffixes) {
                if (path.endsWith(suffix)) {
                    files.append(root.relativeFilePath(path));
                    break;
                }
            }
        }
    }
    files.sort();
    return files;
}

QString readSource(const QString &relativePath)
{
    QFile file(QDir(sourceRoot()).filePath(relativePath));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

namespace {

class Reader
{
public:
    Reader(const QString &file, const QString &code) : m_file(file), m_code(code) {}

    QList<SourceText> run()
    {
        while (m_at < m_code.size()) {
            const QChar c = m_code.at(m_at);
            if (c == u'/' && peek(1) == u'/')
                skipLine();
            else if (c == u'/' && peek(1) == u'*')
                skipBlock();
            else if (c == u'R' && peek(1) == u'"' && !identifierBefore(m_at))
                raw();
            else if (c == u'\'' && m_at > 0 && m_code.at(m_at - 1).isDigit())
                advance(); // a C++ digit separator (2'000'000)
            else if (c == u'"' || c == u'\'' || c == u'`')
                quoted(c);
            else
                advance();
        }
        return m_found;
    }

private:
    QChar peek(qsizetype ahead) const
    {
        return m_at + ahead < m_code.size() ? m_code.at(m_at + ahead) : QChar();
    }
    void advance()
    {
        if (m_code.at(m_at) == u'\n')
            ++m_line;
        ++m_at;
    }
    // "R" starts a raw string only as a prefix (R, u8R, uR, UR, LR), not at the end of a name.
    bool identifierBefore(qsizetype at) const
    {
        qsizetype start = at;
        while (start > 0 && (m_code.at(start - 1).isLetterOrNumber() || m_code.at(start - 1) == u'_'))
            --start;
        const QStringView prefix = QStringView(m_code).mid(start, at - start);
        return !(prefix.isEmpty() || prefix == u"u8" || prefix == u"u" || prefix == u"U" || prefix == u"L");
    }
    void skipLine()
    {
        while (m_at < m_code.size() && m_code.at(m_at) != u'\n')
            ++m_at;
    }
    void skipBlock()
    {
        m_at += 2;
        while (m_at < m_code.size() && !(m_code.at(m_at) == u'*' && peek(1) == u'/'))
            advance();
        m_at += 2;
    }
    void raw()
    {
        const int line = m_line;
        m_at += 2;
        QString delimiter;
        while (m_at < m_code.size() && m_code.at(m_at) != u'(')
            delimiter += m_code.at(m_at++);
        ++m_at;
        const QString end = u')' + delimiter + u'"';
        const qsizetype close = m_code.indexOf(end, m_at);
        const qsizetype stop = close < 0 ? m_code.size() : close;
        const QString text = m_code.mid(m_at, stop - m_at);
        while (m_at < stop)
            advance();
        m_at = stop + end.size();
        m_found.append({m_file, line, text});
    }
    void quoted(QChar quote)
    {
        const int line = m_line;
        ++m_at;
        QString text;
        int braces = 0; // inside a template literal's ${…}
        while (m_at < m_code.size()) {
            const QChar c = m_code.at(m_at);
            if (braces > 0) {
                if (c == u'{')
                    ++braces;
                else if (c == u'}')
                    --braces;
                advance();
                continue;
            }
            if (c == quote) {
                ++m_at;
                break;
            }
            if (quote == u'`' && c == u'$' && peek(1) == u'{') {
                braces = 1;
                m_at += 2;
                continue;
            }
            if (c == u'\n' && quote != u'`')
                break; // an unterminated literal ends with its line
            if (c == u'\\') {
                escape(text);
                continue;
            }
            text += c;
            advance();
        }
        m_found.append({m_file, line, text});
    }
    void escape(QString &text)
    {
        const QChar kind = peek(1);
        m_at += 2;
        auto hex = [&](qsizetype digits) {
            const QString part = m_code.mid(m_at, digits);
            bool ok = false;
            const uint value = part.toUInt(&ok, 16);
            if (ok) {
                m_at += digits;
                const char32_t ucs4 = value;
                text += QString::fromUcs4(&ucs4, 1);
            }
        };
        if (kind == u'u' && peek(0) == u'{') {
            const qsizetype close = m_code.indexOf(u'}', m_at);
            if (close > m_at) {
                const QString part = m_code.mid(m_at + 1, close - m_at - 1);
                m_at = close + 1;
                const char32_t ucs4 = part.toUInt(nullptr, 16);
                text += QString::fromUcs4(&ucs4, 1);
            }
        } else if (kind == u'u') {
            hex(4);
        } else if (kind == u'U') {
            hex(8);
        } else if (kind == u'n') {
            text += u'\n';
        } else if (kind == u't') {
            text += u'\t';
        } else if (kind == u'\n') {
            ++m_line; // a continued line
        } else {
            text += kind;
        }
    }

    QString m_file;
    const QString &m_code;
    qsizetype m_at = 0;
    int m_line = 1;
    QList<SourceText> m_found;
};

} // namespace

QList<SourceText> stringLiterals(const QString &file, const QString &code)
{
    return Reader(file, code).run();
}

} // namespace vexa::test
