// The answer's blocks as plain text: for screen readers, speech and copying a table.

#include "answerblocks.h"

#include "highlight.h"

namespace vexa::answer {

namespace {

// Russian counts: 1 столбец, 3 столбца, 5 столбцов.
QString counted(qsizetype n, const char *one, const char *few, const char *many)
{
    const qsizetype tens = n % 100;
    const qsizetype units = n % 10;
    const char *word = (tens >= 11 && tens <= 14) ? many
        : units == 1                              ? one
        : (units >= 2 && units <= 4)              ? few
                                                  : many;
    return QString::number(n) + QLatin1Char(' ') + QString::fromUtf8(word);
}

// A cell as one line of a tab-separated table.
QString tsvCell(const QString &text)
{
    QString out = text;
    out.replace(QLatin1Char('\t'), QLatin1Char(' '));
    out.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return out;
}

} // namespace

QString plainText(const Answer &answer)
{
    QStringList parts;
    for (const AnswerBlock &block : answer.blocks) {
        switch (block.kind) {
        case BlockKind::Prose:
        case BlockKind::Heading:
        case BlockKind::Quote:
        case BlockKind::Picture:
        case BlockKind::Math:
            parts.append(block.text.plain);
            break;
        case BlockKind::List: {
            QStringList items;
            for (const ListItem &item : block.items)
                items.append(item.text.plain);
            parts.append(items.join(QLatin1Char('\n')));
            break;
        }
        case BlockKind::Code:
            parts.append(block.code);
            break;
        case BlockKind::Table: {
            QStringList rows;
            for (const auto &row : block.rows) {
                QStringList cells;
                for (const Inline &cell : row)
                    cells.append(cell.plain);
                rows.append(cells.join(QLatin1Char(' ')));
            }
            parts.append(rows.join(QLatin1Char('\n')));
            break;
        }
        case BlockKind::Rule:
            break;
        }
    }
    parts.removeAll(QString());
    return parts.join(QStringLiteral("\n\n"));
}

QString spokenText(const Answer &answer, const LanguageName &languageName)
{
    QStringList parts;
    for (const AnswerBlock &block : answer.blocks) {
        switch (block.kind) {
        case BlockKind::Prose:
        case BlockKind::Heading:
        case BlockKind::Quote:
        case BlockKind::Picture:
        case BlockKind::Math:
            parts.append(block.text.plain);
            break;
        case BlockKind::List:
            for (const ListItem &item : block.items) {
                // Numbers are said; bullets and task boxes are marks.
                const bool numbered = !item.marker.isEmpty() && item.marker.front().isDigit();
                parts.append(numbered ? item.marker + QLatin1Char(' ') + item.text.plain : item.text.plain);
            }
            break;
        case BlockKind::Code: {
            const QString name = languageName && !block.language.isEmpty()
                ? languageName(block.language) : QString();
            parts.append(name.isEmpty() ? QStringLiteral("Фрагмент кода.")
                                        : QStringLiteral("Фрагмент кода на ") + name + QLatin1Char('.'));
            break;
        }
        case BlockKind::Table: {
            if (block.rows.isEmpty())
                break;
            const QList<Inline> &header = block.rows.constFirst();
            for (qsizetype r = 1; r < block.rows.size(); ++r) {
                QStringList pairs;
                const QList<Inline> &row = block.rows.at(r);
                for (qsizetype c = 0; c < row.size(); ++c) {
                    const QString name = c < header.size() ? header.at(c).plain.trimmed() : QString();
                    const QString value = row.at(c).plain.trimmed();
                    if (value.isEmpty())
                        continue;
                    pairs.append(name.isEmpty() ? value : name + QStringLiteral(": ") + value);
                }
                if (!pairs.isEmpty())
                    parts.append(pairs.join(QStringLiteral(", ")) + QLatin1Char('.'));
            }
            break;
        }
        case BlockKind::Rule:
            break;
        }
    }
    parts.removeAll(QString());
    return parts.join(QLatin1Char('\n'));
}

QString spokenAnswer(const QString &markdown)
{
    return spokenText(parseAnswer(markdown), &highlight::displayName);
}

QString tableAsTsv(const AnswerBlock &table)
{
    QStringList lines;
    for (const auto &row : table.rows) {
        QStringList cells;
        for (const Inline &cell : row)
            cells.append(tsvCell(cell.plain));
        lines.append(cells.join(QLatin1Char('\t')));
    }
    return lines.join(QLatin1Char('\n'));
}

QString tableSummary(const AnswerBlock &table)
{
    const qsizetype bodyRows = std::max<qsizetype>(table.rows.size() - 1, 0);
    return QStringLiteral("таблица, ") + counted(table.columns, "столбец", "столбца", "столбцов")
        + QStringLiteral(", ") + counted(bodyRows, "строка", "строки", "строк");
}

QUrl openableLink(const QString &address)
{
    QString text = address.trimmed();
    // Bare www. and e-mail autolinks come without a scheme.
    if (text.startsWith(QLatin1String("www."), Qt::CaseInsensitive))
        text.prepend(QLatin1String("https://"));
    else if (!text.contains(QLatin1Char(':')) && text.contains(QLatin1Char('@')))
        text.prepend(QLatin1String("mailto:"));
    // Tolerant: characters an address may not hold (a quote, say) are percent-encoded.
    QUrl url(text, QUrl::TolerantMode);
    if (!url.isValid())
        return {};
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http")) {
        url.setScheme(QStringLiteral("https"));
        return url.host().isEmpty() ? QUrl() : url;
    }
    if (scheme == QLatin1String("https"))
        return url.host().isEmpty() ? QUrl() : url;
    if (scheme == QLatin1String("mailto"))
        return url.path().isEmpty() ? QUrl() : url;
    return {};
}

} // namespace vexa::answer
