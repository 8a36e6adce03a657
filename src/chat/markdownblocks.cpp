#include "markdownblocks.h"

#include "chatrules.h"


namespace vexa::chat {

namespace {

struct Fence {
    QChar character;
    qsizetype length = 0;
    QString info;
};

// A fence line: up to three spaces, then three or more backticks or tildes. Backtick fences
// may not carry a backtick in their info text (that line is inline code, not a fence).
std::optional<Fence> openingFence(QStringView line)
{
    qsizetype indent = 0;
    while (indent < line.size() && line.at(indent) == QLatin1Char(' '))
        ++indent;
    if (indent > 3 || indent >= line.size())
        return std::nullopt;
    const QChar c = line.at(indent);
    if (c != QLatin1Char('`') && c != QLatin1Char('~'))
        return std::nullopt;
    qsizetype run = indent;
    while (run < line.size() && line.at(run) == c)
        ++run;
    if (run - indent < 3)
        return std::nullopt;
    const QStringView rest = line.mid(run).trimmed();
    if (c == QLatin1Char('`') && rest.contains(QLatin1Char('`')))
        return std::nullopt;
    Fence fence{c, run - indent, QString()};
    if (!rest.isEmpty()) {
        qsizetype end = 0;
        while (end < rest.size() && !rest.at(end).isSpace())
            ++end;
        fence.info = rest.left(end).toString();
    }
    return fence;
}

bool closes(QStringView line, const Fence &fence)
{
    const QStringView trimmed = line.trimmed();
    if (trimmed.size() < fence.length)
        return false;
    qsizetype indent = 0;
    while (indent < line.size() && line.at(indent) == QLatin1Char(' '))
        ++indent;
    if (indent > 3)
        return false;
    for (const QChar c : trimmed) {
        if (c != fence.character)
            return false;
    }
    return true;
}

// Blank lines around prose go; indentation stays (it means something in Markdown).
void appendProse(QList<MarkdownBlock> &blocks, const QStringList &lines)
{
    qsizetype first = 0;
    qsizetype last = lines.size();
    while (first < last && isBlank(lines.at(first)))
        ++first;
    while (last > first && isBlank(lines.at(last - 1)))
        --last;
    if (first < last)
        blocks.append(MarkdownBlock{MarkdownBlock::Kind::Prose,
                                    lines.mid(first, last - first).join(QLatin1Char('\n')),
                                    QString()});
}

} // namespace

QList<MarkdownBlock> splitMarkdown(const QString &text)
{
    QList<MarkdownBlock> blocks;
    const QStringList lines = text.split(QLatin1Char('\n'));
    QStringList pending;
    std::optional<Fence> open;
    QStringList code;
    for (const QString &raw : lines) {
        const QStringView line = QStringView(raw).endsWith(QLatin1Char('\r'))
            ? QStringView(raw).chopped(1)
            : QStringView(raw);
        if (open) {
            if (closes(line, *open)) {
                blocks.append(MarkdownBlock{MarkdownBlock::Kind::Code,
                                            code.join(QLatin1Char('\n')), open->info});
                open.reset();
                code.clear();
            } else {
                code.append(line.toString());
            }
            continue;
        }
        if (auto fence = openingFence(line)) {
            appendProse(blocks, pending);
            pending.clear();
            open = std::move(fence);
            continue;
        }
        pending.append(line.toString());
    }
    if (open)
        blocks.append(MarkdownBlock{MarkdownBlock::Kind::Code, code.join(QLatin1Char('\n')),
                                    open->info});
    else
        appendProse(blocks, pending);
    return blocks;
}

} // namespace vexa::chat
