// The answer renderer over arbitrary text: parsed into blocks (md4c), every code block coloured
// by the highlighter, the plain, spoken and table texts made. None may crash or hang, the
// display text may hold no markup but the renderer's own few tags, links only https and mail,
// tables stay rectangular, and every code block's runs stay inside its lines.

#include "answerblocks.h"
#include "highlightchecks.h"
#include "rolestyle.h"

#include <QRegularExpression>

#include <cstdint>

using namespace vexa;
using fuzz::check;

namespace {

// The tags the renderer writes itself; anything else in the display text would be the answer's
// own markup getting through. Every '<' is one of these tags: the answer's own are escaped.
void checkDisplayText(const QString &html)
{
    static const QRegularExpression tag(QStringLiteral("<(/?)([a-zA-Z]*)([^<>]*)>"));
    static const QRegularExpression href(QStringLiteral("^ href=\"([^\"]*)\"$"));
    qsizetype tags = 0;
    for (auto it = tag.globalMatch(html); it.hasNext(); ++tags) {
        const auto m = it.next();
        const QString name = m.captured(2);
        check(name == u"b" || name == u"i" || name == u"s" || name == u"u" || name == u"a"
              || name == u"font" || name == u"br");
        if (name == u"a" && m.captured(1).isEmpty()) {
            const auto link = href.match(m.captured(3));
            check(link.hasMatch());
            const QString address = link.captured(1);
            check(address.startsWith(u"https://") || address.startsWith(u"mailto:"));
        }
    }
    check(html.count(u'<') == tags);
}

const highlight::detail::RoleColors &colors()
{
    static const highlight::detail::RoleColors c = highlight::detail::defaultColors();
    return c;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString markdown = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const answer::Answer parsed = answer::parseAnswer(markdown);
    for (const answer::AnswerBlock &block : parsed.blocks) {
        checkDisplayText(block.text.html);
        for (const answer::ListItem &item : block.items)
            checkDisplayText(item.text.html);
        switch (block.kind) {
        case answer::BlockKind::Code: {
            const QString language = highlight::canonicalLanguage(block.language);
            const highlight::Result result = highlight::highlight(language, block.code);
            fuzz::checkHighlight(block.code, result);
            // The panel's coloured text: the code's characters never become markup.
            checkDisplayText(highlight::styledCode(block.code, result.lines, colors()));
            break;
        }
        case answer::BlockKind::Table:
            check(block.columns > 0);
            for (const auto &row : block.rows) {
                check(row.size() == block.columns);
                for (const answer::Inline &cell : row)
                    checkDisplayText(cell.html);
            }
            answer::tableAsTsv(block);
            answer::tableSummary(block);
            break;
        case answer::BlockKind::Picture:
            check(block.source.isEmpty() || block.source.scheme() == u"https");
            break;
        default:
            break;
        }
    }
    answer::plainText(parsed);
    answer::spokenText(parsed, &highlight::displayName);
    return 0;
}
