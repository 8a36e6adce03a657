#pragma once

// The chat screen's two lists as QML models: the messages on display and the account's chats.

#include "answermodel.h"
#include "chatrecords.h"

#include <QAbstractListModel>
#include <QFuture>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <memory>
#include <optional>

namespace vexa {

// The picture address of an entry as the screen may load and open it: a web address (a
// relative one taken against the service origin) or a data URL. Anything else, and text that
// does not parse as a URL, shows no picture.
QUrl entryImageUrl(const std::optional<QString> &imageURL, const QUrl &serviceOrigin);

class ChatEntryModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Provided by ChatViewModel.")
public:
    enum Role {
        EntryIDRole = Qt::UserRole + 1,
        IsUserRole,
        TextRole,        // as the service sent it
        // The message as one styled text where it is drawn as one: the user's words, or an
        // answer of prose, lists and quotes only (most of them); empty for an answer drawn
        // block by block.
        HtmlRole,
        BlocksRole,      // answers: their blocks (answer::AnswerModel, kept with the row)
        // The blocks of an answer drawn block by block (code, tables, pictures, long ones);
        // null where HtmlRole has the text. One role decides it, so a reused bubble switches
        // its layout once, never through a state that is half the old message's.
        DrawnBlocksRole,
        ImageSourceRole, // QUrl, empty when there is no picture to show
        HasImageRole,
        // "text" where HtmlRole has the message, "blocks" where DrawnBlocksRole does: the list
        // makes and reuses each kind of bubble apart.
        LayoutRole,
    };

    using QAbstractListModel::QAbstractListModel;

    // Changes only the rows that differ: entries are compared by what they show, not by id,
    // because every chat-list load hands out fresh ids for the same messages. A list that
    // only grew inserts rows; the view keeps its place and its delegates.
    void setEntries(const QList<ChatEntry> &entries, const QUrl &serviceOrigin);
    const ChatEntry *entryAt(int row) const;
    int indexOf(const QUuid &id) const;
    // Whether a row's answer is parsed and its code coloured, so showing it costs no more
    // than laying it out (made, or prepared ahead).
    bool isPrepared(int row) const;
    // Rows before and after the one shown that are prepared ahead: more than a page of a tall
    // window, in either direction, once the list has moved. Until then none beyond the rows the
    // list asks for: a chat just opened may never be scrolled, and every answer drawn ahead
    // holds its pictures (about a megabyte resident a row in an idle window, measured).
    static constexpr int kPrepareAhead = 12;
    static constexpr int kPrepareAtRest = 0;
    // The list has left the place it opened at: rows are prepared as far as kPrepareAhead from
    // now on, around the rows asked for next.
    Q_INVOKABLE void listMoved();

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    // How a message is shown, made on first use and kept while the row lives (copies of a row
    // share it).
    struct Row {
        ChatEntry entry;
        QUrl imageSource;
        mutable std::optional<QString> html;
        mutable std::shared_ptr<answer::AnswerModel> blocks;
        // The answer parsed and coloured on a worker before the list asks for it (the user's
        // words: their text drawn, see AnswerModel::prepareWords). None until then: even an
        // empty QFuture allocates its shared state, some 400 bytes a row of a long chat.
        mutable std::optional<QFuture<answer::PreparedAnswer>> ahead;
    };
    answer::AnswerModel *blocks(const Row &row) const;
    // Starts preparing the answers near a row the list is about to show, so a scroll that
    // reaches them finds them parsed and coloured.
    // Done once the frame that asked is over, so the worker does not hold the highlighter
    // while that frame colours its own rows in place.
    void prepareAround(int row) const;
    void startPreparing() const;
    mutable QList<int> m_prepareCentres;
    bool m_moved = false;
    const QString &html(const Row &row) const;
    QList<Row> m_rows;
};

class ChatListModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Provided by the chat views.")
public:
    enum Role { ChatIDRole = Qt::UserRole + 1, TitleRole, IsActiveRole };

    using QAbstractListModel::QAbstractListModel;

    // In the service's order, neither sorted nor filtered.
    void setChats(const QList<VexaSharedChat> &chats, const QString &activeChatID);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    struct Row {
        QString id;
        QString title;
    };
    QList<Row> m_rows;
    QString m_active;
};

} // namespace vexa
