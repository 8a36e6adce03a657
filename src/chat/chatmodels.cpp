#include "chatmodels.h"

#include "answerblocks.h"
#include "answermodel.h"

#include <QQmlEngine>

#include <utility>


namespace vexa {

namespace {

bool sameContent(const ChatEntry &a, const ChatEntry &b)
{
    return a.role == b.role && a.text == b.text && a.imageURL == b.imageURL;
}

} // namespace

QUrl entryImageUrl(const std::optional<QString> &imageURL, const QUrl &serviceOrigin)
{
    if (!imageURL || imageURL->trimmed().isEmpty())
        return {};
    QUrl url(imageURL->trimmed(), QUrl::StrictMode);
    if (!url.isValid())
        return {};
    if (url.isRelative()) {
        if (!serviceOrigin.isValid() || serviceOrigin.isEmpty())
            return {};
        url = serviceOrigin.resolved(url);
    }
    // Only what a picture can come from: no local files, no handlers of other programs.
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("https") && scheme != QLatin1String("http")
        && scheme != QLatin1String("data"))
        return {};
    return url;
}

void ChatEntryModel::setEntries(const QList<ChatEntry> &entries, const QUrl &serviceOrigin)
{
    const qsizetype oldCount = m_rows.size();
    const qsizetype newCount = entries.size();
    qsizetype prefix = 0;
    while (prefix < oldCount && prefix < newCount
           && sameContent(m_rows.at(prefix).entry, entries.at(prefix)))
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < oldCount - prefix && suffix < newCount - prefix
           && sameContent(m_rows.at(oldCount - 1 - suffix).entry,
                          entries.at(newCount - 1 - suffix)))
        ++suffix;

    auto makeRow = [&](const ChatEntry &entry) {
        return Row{entry, entryImageUrl(entry.imageURL, serviceOrigin), std::nullopt, nullptr, std::nullopt};
    };

    // Kept rows take the new ids (and dates); what they show is the same.
    auto refreshKept = [&](qsizetype oldRow, qsizetype newRow) {
        Row &row = m_rows[oldRow];
        const bool idChanged = row.entry.id != entries.at(newRow).id;
        row.entry = entries.at(newRow); // same text: the rendering stays valid
        row.imageSource = entryImageUrl(row.entry.imageURL, serviceOrigin);
        if (idChanged)
            Q_EMIT dataChanged(index(int(oldRow)), index(int(oldRow)), {EntryIDRole});
    };
    for (qsizetype i = 0; i < prefix; ++i)
        refreshKept(i, i);

    const qsizetype removeEnd = oldCount - suffix; // exclusive
    if (removeEnd > prefix) {
        beginRemoveRows({}, int(prefix), int(removeEnd - 1));
        m_rows.remove(prefix, removeEnd - prefix);
        endRemoveRows();
    }
    const qsizetype insertEnd = newCount - suffix; // exclusive, in the new list
    if (insertEnd > prefix) {
        beginInsertRows({}, int(prefix), int(insertEnd - 1));
        QList<Row> inserted;
        inserted.reserve(insertEnd - prefix);
        for (qsizetype i = prefix; i < insertEnd; ++i)
            inserted.append(makeRow(entries.at(i)));
        m_rows.insert(prefix, inserted.size(), Row{});
        for (qsizetype i = 0; i < inserted.size(); ++i)
            m_rows[prefix + i] = std::move(inserted[i]);
        endInsertRows();
    }
    for (qsizetype i = 0; i < suffix; ++i)
        refreshKept(newCount - suffix + i, newCount - suffix + i);
}

const ChatEntry *ChatEntryModel::entryAt(int row) const
{
    if (row < 0 || row >= m_rows.size())
        return nullptr;
    return &m_rows.at(row).entry;
}

int ChatEntryModel::indexOf(const QUuid &id) const
{
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        if (m_rows.at(i).entry.id == id)
            return int(i);
    }
    return -1;
}

bool ChatEntryModel::isPrepared(int row) const
{
    if (row < 0 || row >= m_rows.size())
        return false;
    const Row &at = m_rows.at(row);
    return at.blocks || (at.ahead && at.ahead->isFinished());
}

int ChatEntryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant ChatEntryModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const Row &row = m_rows.at(index.row());
    const bool isUser = row.entry.role == ChatEntry::Role::User;
    switch (role) {
    case EntryIDRole:
        return row.entry.id.toString(QUuid::WithoutBraces);
    case IsUserRole:
        return isUser;
    case TextRole:
    case Qt::DisplayRole:
        return row.entry.text;
    case HtmlRole:
        return html(row);
    case BlocksRole:
        return QVariant::fromValue<QObject *>(isUser ? nullptr : blocks(row));
    case DrawnBlocksRole:
        return QVariant::fromValue<QObject *>(isUser || !html(row).isEmpty() ? nullptr : blocks(row));
    case ImageSourceRole:
        return row.imageSource;
    case HasImageRole:
        return !row.imageSource.isEmpty();
    case LayoutRole:
        // The first role a list asks of a row it is about to show.
        prepareAround(index.row());
        return isUser || !html(row).isEmpty() ? QStringLiteral("text") : QStringLiteral("blocks");
    }
    return {};
}

QHash<int, QByteArray> ChatEntryModel::roleNames() const
{
    return {{EntryIDRole, "entryID"}, {IsUserRole, "isUser"},     {TextRole, "text"},
            {HtmlRole, "html"},       {BlocksRole, "blocks"},     {DrawnBlocksRole, "drawnBlocks"},
            {ImageSourceRole, "imageSource"}, {HasImageRole, "hasImage"}, {LayoutRole, "layout"}};
}

answer::AnswerModel *ChatEntryModel::blocks(const Row &row) const
{
    if (!row.blocks) {
        // Owned by the row (not parented): it goes with the last copy of the row, later, as
        // the view may still hold it for a moment.
        row.blocks.reset(new answer::AnswerModel, [](answer::AnswerModel *model) { model->deleteLater(); });
        QQmlEngine::setObjectOwnership(row.blocks.get(), QQmlEngine::CppOwnership);
        if (row.ahead && row.ahead->isFinished()) {
            row.blocks->setPrepared(row.entry.text, row.ahead->result());
        } else {
            // Unfinished, it is not waited for: it is dropped (before it starts, if it has not).
            if (row.ahead)
                row.ahead->cancel();
            row.blocks->setMarkdown(row.entry.text);
        }
        row.ahead.reset();
    }
    return row.blocks.get();
}

void ChatEntryModel::prepareAround(int at) const
{
    if (m_prepareCentres.isEmpty())
        QMetaObject::invokeMethod(const_cast<ChatEntryModel *>(this), [this] { startPreparing(); },
                                  Qt::QueuedConnection);
    m_prepareCentres.append(at);
}

void ChatEntryModel::listMoved()
{
    m_moved = true;
}

void ChatEntryModel::startPreparing() const
{
    const QList<int> centres = std::exchange(m_prepareCentres, {});
    // Nearest first: the rows just past those shown are the next a scroll shows, and the
    // worker takes them in this order.
    for (int distance = 0, reach = m_moved ? kPrepareAhead : kPrepareAtRest; distance <= reach; ++distance) {
        for (const int at : centres) {
            for (const int i : {at - distance, at + distance}) {
                if (i < 0 || i >= int(m_rows.size()))
                    continue;
                const Row &row = m_rows.at(i);
                if (row.blocks || row.ahead || row.entry.text.size() > answer::kParseInPlaceChars)
                    continue;
                row.ahead = row.entry.role == ChatEntry::Role::User
                    ? answer::AnswerModel::prepareWords(row.entry.text)
                    : answer::AnswerModel::prepareAhead(row.entry.text);
            }
        }
    }
}

const QString &ChatEntryModel::html(const Row &row) const
{
    // Decided once per row: an answer still being parsed (a long one) is drawn by its blocks,
    // which appear when they are ready. The user's words are shown as typed, never as Markdown.
    if (!row.html) {
        if (row.entry.role == ChatEntry::Role::User)
            row.html = answer::plainToHtml(row.entry.text);
        else
            row.html = blocks(row)->ready() ? blocks(row)->simpleHtml() : QString();
    }
    return *row.html;
}

void ChatListModel::setChats(const QList<VexaSharedChat> &chats, const QString &activeChatID)
{
    const bool sameRows = std::equal(chats.cbegin(), chats.cend(), m_rows.cbegin(), m_rows.cend(),
                                     [](const VexaSharedChat &chat, const Row &row) {
                                         return chat.id == row.id && chat.title == row.title;
                                     });
    if (!sameRows) {
        beginResetModel();
        m_rows.clear();
        m_rows.reserve(chats.size());
        for (const VexaSharedChat &chat : chats)
            m_rows.append(Row{chat.id, chat.title});
        m_active = activeChatID;
        endResetModel();
        return;
    }
    if (m_active == activeChatID)
        return;
    m_active = activeChatID;
    if (!m_rows.isEmpty())
        Q_EMIT dataChanged(index(0), index(int(m_rows.size()) - 1), {IsActiveRole});
}

int ChatListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant ChatListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const Row &row = m_rows.at(index.row());
    switch (role) {
    case ChatIDRole:
        return row.id;
    case TitleRole:
    case Qt::DisplayRole:
        return row.title;
    case IsActiveRole:
        return !m_active.isEmpty() && row.id == m_active;
    }
    return {};
}

QHash<int, QByteArray> ChatListModel::roleNames() const
{
    return {{ChatIDRole, "chatID"}, {TitleRole, "title"}, {IsActiveRole, "isActive"}};
}

} // namespace vexa
