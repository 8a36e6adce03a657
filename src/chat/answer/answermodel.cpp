#include "answermodel.h"
#include "answermath.h"
#include "inlinemath.h"
#include "mathitem.h"
#include "textpicture.h"

#include "highlight.h"
#include "offthread.h"
#include "rolestyle.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLocale>
#include <QtConcurrent/QtConcurrentRun>

namespace vexa::answer {

namespace {

QString kindName(BlockKind kind)
{
    switch (kind) {
    case BlockKind::Prose: return QStringLiteral("prose");
    case BlockKind::Heading: return QStringLiteral("heading");
    case BlockKind::List: return QStringLiteral("list");
    case BlockKind::Quote: return QStringLiteral("quote");
    case BlockKind::Code: return QStringLiteral("code");
    case BlockKind::Table: return QStringLiteral("table");
    case BlockKind::Rule: return QStringLiteral("rule");
    case BlockKind::Picture: return QStringLiteral("picture");
    case BlockKind::Math: return QStringLiteral("math");
    }
    return QStringLiteral("prose");
}

int horizontalAlignment(Align align)
{
    switch (align) {
    case Align::Center: return Qt::AlignHCenter;
    case Align::Right: return Qt::AlignRight;
    default: return Qt::AlignLeft;
    }
}

// Code as a panel lays it out: the first lines, each cut at a length no one reads sideways.
QString shownCode(const QString &code, int *hiddenLines)
{
    QString out;
    int lines = 0;
    qsizetype start = 0;
    *hiddenLines = 0;
    while (start <= code.size()) {
        qsizetype end = code.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = code.size();
        if (lines == AnswerModel::kMaxCodeLines) {
            *hiddenLines = int(code.mid(start).count(QLatin1Char('\n'))) + 1;
            break;
        }
        if (lines > 0)
            out += QLatin1Char('\n');
        const qsizetype length = end - start;
        if (length > AnswerModel::kMaxCodeLineChars) {
            out += QStringView(code).sliced(start, AnswerModel::kMaxCodeLineChars);
            out += QStringLiteral(" …");
        } else {
            out += QStringView(code).sliced(start, length);
        }
        ++lines;
        start = end + 1;
    }
    return out;
}

QString hiddenLine(qsizetype count, const char *what)
{
    return QStringLiteral("… ещё ") + QLocale(QLocale::Russian).toString(count) + QLatin1Char(' ')
        + QString::fromUtf8(what);
}

// A list as one styled text, each item on its own line, nested ones indented: a list costs one
// text item to lay out, like prose. `plain` gets what a screen reader says for it.
QString listHtml(const AnswerBlock &block, qsizetype shown, QString *plain)
{
    QString html;
    QStringList said;
    for (qsizetype i = 0; i < shown; ++i) {
        const ListItem &item = block.items.at(i);
        if (i > 0)
            html += QStringLiteral("<br>");
        for (int level = 0; level < item.depth * 4 + (item.marker.isEmpty() ? 3 : 0); ++level)
            html += QStringLiteral("&nbsp;");
        if (!item.marker.isEmpty())
            html += item.marker + QStringLiteral("&nbsp; ");
        html += item.text.html;
        const QString done = item.marker == QStringLiteral("☑") ? QStringLiteral("Выполнено: ")
            : item.marker == QStringLiteral("☐")                ? QStringLiteral("Не выполнено: ")
                                                                : QString();
        said.append(done + item.text.plain);
    }
    if (plain)
        *plain = said.join(QLatin1Char('\n'));
    return html;
}

// The answer as one styled text when it holds only text-like blocks and is short; else "".
QString simpleAnswerHtml(const Answer &answer)
{
    constexpr auto kQuoteColor = "#c9cbe0";
    constexpr auto kRuleColor = "#6b6f85";
    QStringList parts;
    qsizetype size = 0;
    for (const AnswerBlock &block : answer.blocks) {
        size += block.size;
        if (size > kMaxProseChars || block.indent > 0)
            return {};
        switch (block.kind) {
        case BlockKind::Prose:
            if (block.quoteDepth > 0)
                return {};
            parts.append(block.text.html);
            break;
        case BlockKind::Heading:
            if (block.quoteDepth > 0)
                return {};
            parts.append(block.level == 1 ? QStringLiteral("<b><font size=\"+2\">") + block.text.html + QStringLiteral("</font></b>")
                         : block.level == 2 ? QStringLiteral("<b><font size=\"+1\">") + block.text.html + QStringLiteral("</font></b>")
                                            : QStringLiteral("<b>") + block.text.html + QStringLiteral("</b>"));
            break;
        case BlockKind::List:
            if (block.quoteDepth > 0 || block.items.size() > AnswerModel::kMaxShownListItems)
                return {};
            parts.append(listHtml(block, block.items.size(), nullptr));
            break;
        case BlockKind::Quote: {
            // A bar per level before every line.
            const QString bar = QString(block.quoteDepth, QChar(0x258D)) + QStringLiteral("&nbsp;");
            QString lines = block.text.html;
            lines.replace(QStringLiteral("<br>"), QStringLiteral("<br>") + bar);
            parts.append(QStringLiteral("<font color=\"") + QLatin1String(kQuoteColor) + QStringLiteral("\"><i>")
                         + bar + lines + QStringLiteral("</i></font>"));
            break;
        }
        case BlockKind::Rule:
            if (block.quoteDepth > 0)
                return {};
            parts.append(QStringLiteral("<font color=\"") + QLatin1String(kRuleColor)
                         + QStringLiteral("\">──────────</font>"));
            break;
        default:
            return {};
        }
    }
    QString html = parts.join(QStringLiteral("<br><br>"));
    // Formulas inside the text are typeset block by block (InlineMath).
    if (hasInlineMath(html))
        return {};
    return html;
}

} // namespace

AnswerModel::AnswerModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

AnswerModel::~AnswerModel() = default;

void AnswerModel::setMarkdown(const QString &markdown)
{
    if (markdown == m_markdown && (m_answer || m_watcher))
        return;
    m_markdown = markdown;
    Q_EMIT markdownChanged();
    dropParse();
    if (markdown.size() <= kParseInPlaceChars) {
        setAnswer({std::make_shared<const Answer>(parseAnswer(markdown))});
        return;
    }
    setAnswer({});
    m_watcher = new QFutureWatcher<Answer>(this);
    connect(m_watcher, &QFutureWatcherBase::finished, this, [this] {
        auto answer = std::make_shared<const Answer>(m_watcher->result());
        m_watcher->deleteLater();
        m_watcher = nullptr;
        setAnswer({std::move(answer)});
    });
    m_watcher->setFuture(offthread::run(&parseAnswer, markdown));
}

QFuture<PreparedAnswer> AnswerModel::prepareAhead(const QString &markdown)
{
    // Drawn in the worker with a copy of the font: Qt's font keeps its engines per thread.
    // Formulas are set and drawn too, in the sizes and colours texts lately showed them in.
    return QtConcurrent::run(highlight::detail::workerPool(), [markdown, style = lastCodeStyle()] {
        PreparedAnswer prepared;
        prepared.answer = std::make_shared<const Answer>(parseAnswer(markdown));
        // An answer of text only is shown as one text, the way the user's words are.
        const QString simple = simpleAnswerHtml(*prepared.answer);
        prepared.simpleHtml = simple;
        if (!simple.isEmpty())
            TextPicture::prepareText(QStringLiteral("message"), simple, 0);
        qsizetype shown = 0;
        const auto &blocks = prepared.answer->blocks;
        for (qsizetype i = 0; i < blocks.size() && i < kMaxBlocks && shown <= kMaxShownChars; ++i) {
            const AnswerBlock &block = blocks.at(i);
            shown += block.size;
            switch (block.kind) {
            case BlockKind::Prose:
            case BlockKind::Quote:
            case BlockKind::Heading:
                InlineMath::prepareAhead(block.text.html);
                if (simple.isEmpty())
                    TextPicture::prepare(block, block.text.html);
                continue;
            case BlockKind::List: {
                QString plain;
                const QString html = listHtml(block, std::min<qsizetype>(block.items.size(), kMaxShownListItems), &plain);
                InlineMath::prepareAhead(html);
                if (simple.isEmpty())
                    TextPicture::prepare(block, html);
                continue;
            }
            case BlockKind::Math:
                math::MathItem::typesetAhead(block.code, true);
                continue;
            case BlockKind::Code:
                break;
            default:
                continue;
            }
            int hidden = 0;
            const QString code = shownCode(block.code, &hidden);
            // As the worker colours a block shown plain: what the budget allowed (a line
            // past its length limit stays plain).
            const auto runs = highlight::highlight(block.language, code).lines;
            prepared.codeRuns.insert(int(i), runs);
            if (style && codePictureBytes() < kAheadBudget)
                prepared.codePictures.insert(int(i), drawCode(code, runs, *style));
        }
        return prepared;
    });
}

QFuture<PreparedAnswer> AnswerModel::prepareWords(const QString &text)
{
    return QtConcurrent::run(highlight::detail::workerPool(), [text] {
        TextPicture::prepareText(QStringLiteral("message"), plainToHtml(text), 0);
        return PreparedAnswer{};
    });
}

void AnswerModel::setPrepared(const QString &markdown, const PreparedAnswer &prepared)
{
    if (!prepared.answer) {
        setMarkdown(markdown);
        return;
    }
    dropParse();
    if (markdown != m_markdown) {
        m_markdown = markdown;
        Q_EMIT markdownChanged();
    }
    setAnswer(prepared);
}

void AnswerModel::dropParse()
{
    if (m_watcher) {
        // A parse of the text before is no longer wanted; it ends on its own.
        m_watcher->disconnect(this);
        m_watcher->deleteLater();
        m_watcher = nullptr;
    }
}

std::shared_ptr<const CodePicture> AnswerModel::codePicture(int block) const
{
    if (std::shared_ptr<const CodePicture> picture = m_preparedPictures.take(block)) {
        m_shownPictures.insert(block, picture);
        return picture;
    }
    return m_shownPictures.value(block).lock();
}

void AnswerModel::setAnswer(const PreparedAnswer &prepared)
{
    const bool wasReady = ready();
    beginResetModel();
    ++m_generation;
    m_answer = prepared.answer;
    m_rows.clear();
    m_preparedRuns = prepared.codeRuns;
    m_preparedPictures = prepared.codePictures;
    m_shownPictures.clear();
    m_hiddenChars = 0;
    m_simpleHtml = prepared.simpleHtml ? *prepared.simpleHtml
                                       : m_answer ? simpleAnswerHtml(*m_answer) : QString();
    m_plainText.reset();
    if (m_answer) {
        qsizetype shown = 0;
        const auto &blocks = m_answer->blocks;
        for (qsizetype i = 0; i < blocks.size(); ++i) {
            const bool overBudget = !m_rows.isEmpty()
                && (m_rows.size() >= kMaxBlocks || shown + blocks.at(i).size > kMaxShownChars);
            if (overBudget) {
                for (qsizetype j = i; j < blocks.size(); ++j)
                    m_hiddenChars += std::max<qsizetype>(blocks.at(j).size, 1);
                break;
            }
            shown += blocks.at(i).size;
            m_rows.append(Row{int(i)});
        }
        if (m_hiddenChars > 0)
            m_rows.append(Row{-1});
    }
    endResetModel();
    if (wasReady || ready())
        Q_EMIT readyChanged();
}

QString AnswerModel::plainText() const
{
    if (!m_answer)
        return {};
    if (!m_plainText)
        m_plainText = answer::plainText(*m_answer);
    return *m_plainText;
}

QString AnswerModel::blockCopyText(int row) const
{
    if (!m_answer || row < 0 || row >= m_rows.size() || m_rows.at(row).block < 0)
        return {};
    const AnswerBlock &block = m_answer->blocks.at(m_rows.at(row).block);
    switch (block.kind) {
    case BlockKind::Code:
    case BlockKind::Math: return block.code;
    case BlockKind::Table: return tableAsTsv(block);
    default: return block.text.plain;
    }
}

QString AnswerModel::cellText(int row, int tableRow, int column) const
{
    if (!m_answer || row < 0 || row >= m_rows.size() || m_rows.at(row).block < 0)
        return {};
    const AnswerBlock &block = m_answer->blocks.at(m_rows.at(row).block);
    if (tableRow < 0 || tableRow >= block.rows.size() || column < 0
        || column >= block.rows.at(tableRow).size())
        return {};
    return block.rows.at(tableRow).at(column).plain;
}

QString AnswerModel::hiddenRowsLine(int row, int cut) const
{
    if (!m_answer || row < 0 || row >= m_rows.size() || m_rows.at(row).block < 0)
        return {};
    prepare(m_rows.at(row));
    const int hidden = std::max(0, m_rows.at(row).hidden) + std::max(0, cut);
    return hidden > 0 ? hiddenLine(hidden, "строк") : QString();
}

bool AnswerModel::copyBlock(int row) const
{
    const QString text = blockCopyText(row);
    if (text.isEmpty())
        return false;
    QGuiApplication::clipboard()->setText(text);
    return true;
}

int AnswerModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

// Lists, tables and code are turned into what QML reads on first use, and kept.
void AnswerModel::prepare(const Row &row) const
{
    if (row.hidden >= 0)
        return;
    const AnswerBlock &block = m_answer->blocks.at(row.block);
    row.hidden = 0;
    switch (block.kind) {
    case BlockKind::List: {
        QVariantList items;
        const qsizetype shown = std::min<qsizetype>(block.items.size(), kMaxShownListItems);
        for (qsizetype i = 0; i < shown; ++i) {
            const ListItem &item = block.items.at(i);
            items.append(QVariantMap{{QStringLiteral("depth"), item.depth},
                                     {QStringLiteral("marker"), item.marker},
                                     {QStringLiteral("html"), item.text.html},
                                     {QStringLiteral("plain"), item.text.plain}});
        }
        row.items = items;
        row.hidden = int(block.items.size() - shown);
        row.code = listHtml(block, shown, &row.listPlain);
        break;
    }
    case BlockKind::Table: {
        QVariantList rows;
        const qsizetype shownRows = std::min<qsizetype>(block.rows.size(), kMaxShownTableRows + 1);
        const int shownColumns = std::min(block.columns, kMaxShownTableColumns);
        for (qsizetype r = 0; r < shownRows; ++r) {
            QStringList cells;
            for (int c = 0; c < shownColumns && c < block.rows.at(r).size(); ++c)
                cells.append(block.rows.at(r).at(c).html);
            rows.append(cells);
        }
        row.cells = rows;
        row.hidden = int(block.rows.size() - shownRows);
        break;
    }
    case BlockKind::Code:
        row.code = shownCode(block.code, &row.hidden);
        break;
    default:
        break;
    }
}

void AnswerModel::colourCode(int rowIndex) const
{
    const Row &row = m_rows.at(rowIndex);
    const AnswerBlock &block = m_answer->blocks.at(row.block);
    const auto prepared = m_preparedRuns.constFind(row.block);
    if (prepared != m_preparedRuns.cend()) {
        row.runs = *prepared;
        return;
    }
    highlight::Budget inPlace;
    inPlace.maxChars = kColourInPlaceChars;
    inPlace.time = std::chrono::milliseconds(2);
    const auto now = highlight::highlightIfReady(block.language, row.code, inPlace);
    if (now && now->complete) {
        row.runs = now->lines;
        return;
    }
    row.runs = QList<QList<highlight::Span>>();
    auto *self = const_cast<AnswerModel *>(this);
    auto *watcher = new QFutureWatcher<QList<QList<highlight::Span>>>(self);
    connect(watcher, &QFutureWatcherBase::finished, self,
            [self, watcher, rowIndex, generation = m_generation] {
                watcher->deleteLater();
                if (generation != self->m_generation || rowIndex >= self->m_rows.size())
                    return;
                const Row &coloured = self->m_rows.at(rowIndex);
                coloured.runs = watcher->result();
                coloured.codeHtml.reset();
                self->m_shownPictures.remove(coloured.block);
                const QModelIndex changed = self->index(rowIndex);
                Q_EMIT self->dataChanged(changed, changed, {CodeHtmlRole, CodeLinesRole});
            });
    watcher->setFuture(QtConcurrent::run(highlight::detail::workerPool(),
                                         [language = block.language, code = row.code] {
                                             return highlight::highlight(language, code).lines;
                                         }));
}

QString AnswerModel::codeHtml(int rowIndex) const
{
    if (!m_answer || rowIndex < 0 || rowIndex >= m_rows.size() || m_rows.at(rowIndex).block < 0
        || m_answer->blocks.at(m_rows.at(rowIndex).block).kind != BlockKind::Code)
        return {};
    const Row &row = m_rows.at(rowIndex);
    prepare(row);
    if (!row.runs)
        colourCode(rowIndex);
    if (!row.codeHtml) {
        highlight::detail::RoleColors colors = highlight::detail::defaultColors();
        highlight::detail::readThemeColors(const_cast<AnswerModel *>(this), colors);
        row.codeHtml = highlight::styledCode(row.code, *row.runs, colors);
    }
    return *row.codeHtml;
}

QVariant AnswerModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || !m_answer)
        return {};
    const Row &row = m_rows.at(index.row());
    if (row.block < 0) {
        switch (role) {
        case KindRole: return QStringLiteral("more");
        case PlainRole:
        case HtmlRole:
            return QStringLiteral("Ответ слишком длинный, дальше он не показан (ещё ")
                + QLocale(QLocale::Russian).toString(m_hiddenChars)
                + QStringLiteral(" знаков). Скопируйте его целиком из меню сообщения.");
        default: return {};
        }
    }
    const AnswerBlock &block = m_answer->blocks.at(row.block);
    switch (role) {
    case KindRole: return kindName(block.kind);
    case HtmlRole: return block.text.html;
    case PlainRole:
        switch (block.kind) {
        case BlockKind::Code: {
            const QString name = highlight::displayName(block.language);
            if (!name.isEmpty())
                return QStringLiteral("Код на ") + name + QStringLiteral(": ") + block.code;
            return block.language.isEmpty() ? QStringLiteral("Код: ") + block.code
                                            : QStringLiteral("Код, ") + block.language
                    + QStringLiteral(": ") + block.code;
        }
        case BlockKind::Table: return tableSummary(block);
        case BlockKind::Rule: return QStringLiteral("Разделитель");
        case BlockKind::Picture:
            return block.text.plain.isEmpty() ? QStringLiteral("Картинка")
                                              : QStringLiteral("Картинка: ") + block.text.plain;
        case BlockKind::List: prepare(row); return row.listPlain;
        default: return block.text.plain;
        }
    case LevelRole: return block.level;
    case IndentRole: return block.indent;
    case QuoteDepthRole: return block.quoteDepth;
    case InsetRole: return blockInset(block);
    case CodeRole:
        prepare(row);
        return block.kind == BlockKind::Code ? row.code : block.kind == BlockKind::Math ? block.code : QString();
    case ListHtmlRole:
        prepare(row);
        return block.kind == BlockKind::List ? row.code : QString();
    case LanguageRole: return block.language;
    case LanguageNameRole: {
        if (block.kind != BlockKind::Code)
            return QString();
        const QString name = highlight::displayName(block.language);
        return name.isEmpty() ? block.language : name;
    }
    case CodeHtmlRole:
        return codeHtml(index.row());
    case CodeLinesRole:
        if (block.kind != BlockKind::Code)
            return {};
        prepare(row);
        if (!row.runs)
            colourCode(index.row());
        // A picture drawn ahead goes to the items that show the block, and no longer stays with
        // the answer once none holds it.
        return QVariant::fromValue(CodeLines{row.code, *row.runs, handOff(codePicture(row.block))});
    case ItemsRole: prepare(row); return row.items;
    case CellsRole: prepare(row); return row.cells;
    case AlignmentsRole: {
        QVariantList alignments;
        for (int c = 0; c < std::min(block.columns, kMaxShownTableColumns); ++c)
            alignments.append(horizontalAlignment(block.alignments.value(c)));
        return alignments;
    }
    case HiddenRole:
        prepare(row);
        if (row.hidden <= 0)
            return QString();
        return hiddenLine(row.hidden, block.kind == BlockKind::List   ? "пунктов"
                                          : block.kind == BlockKind::Table ? "строк"
                                                                           : "строк кода");
    case HiddenColumnsRole:
        return block.columns > kMaxShownTableColumns
            ? hiddenLine(block.columns - kMaxShownTableColumns, "столбцов") : QString();
    case SummaryRole: return block.kind == BlockKind::Table ? tableSummary(block) : QString();
    case SourceRole: return block.source;
    }
    return {};
}

QHash<int, QByteArray> AnswerModel::roleNames() const
{
    return {{KindRole, "kind"},           {HtmlRole, "html"},
            {PlainRole, "plain"},         {LevelRole, "level"},
            {IndentRole, "indent"},       {QuoteDepthRole, "quoteDepth"},
            {InsetRole, "inset"},
            {CodeRole, "code"},           {LanguageRole, "language"},
            {ItemsRole, "items"},         {CellsRole, "cells"},
            {AlignmentsRole, "alignments"}, {HiddenRole, "hidden"},
            {HiddenColumnsRole, "hiddenColumns"}, {SummaryRole, "summary"},
            {SourceRole, "source"},       {ListHtmlRole, "listHtml"},
            {CodeHtmlRole, "codeHtml"},   {LanguageNameRole, "languageName"},
            {CodeLinesRole, "codeLines"}};
}

} // namespace vexa::answer
