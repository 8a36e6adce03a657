#pragma once

// The community section's front page: the forum topics and the groups, loaded together, and the
// new-topic form. Opening a topic or a group hands its row to the detail screen.

#include "catalogrecords.h"
#include "communityrules.h"
#include "communityrowmodel.h"
#include "vexaclient.h"

#include <QObject>
#include <QPointer>
#include <QVariant>
#include <QtQml/qqmlregistration.h>

namespace vexa {

class CommunityViewModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(vexa::VexaClient *client READ client WRITE setClient NOTIFY clientChanged)
    Q_PROPERTY(vexa::CommunityRowModel *topics READ topics CONSTANT)
    Q_PROPERTY(vexa::CommunityRowModel *communities READ communities CONSTANT)
    // The front page as one list: the forum card's header row ("kind" "forum"), the topics
    // ("topic"), the groups card's header row ("groups"), the groups ("group"). Every row has
    // "headline", "subtitle", "caption", "closed" and "spoken" (its accessible name).
    Q_PROPERTY(QAbstractItemModel *rows READ rows CONSTANT)
    // What a card shows instead of its rows ("Тем пока нет.", "Запрос не выполнен."), or empty.
    Q_PROPERTY(QString topicsMessage READ topicsMessage NOTIFY listsChanged)
    Q_PROPERTY(QString communitiesMessage READ communitiesMessage NOTIFY listsChanged)
    Q_PROPERTY(bool loading READ loading NOTIFY loadingChanged)
    Q_PROPERTY(QString newTitle READ newTitle WRITE setNewTitle NOTIFY newTopicChanged)
    Q_PROPERTY(QString newBody READ newBody WRITE setNewBody NOTIFY newTopicChanged)
    Q_PROPERTY(bool showingCreate READ showingCreate NOTIFY showingCreateChanged)
    Q_PROPERTY(bool canCreate READ canCreate NOTIFY newTopicChanged)
    Q_PROPERTY(bool creating READ creating NOTIFY newTopicChanged)

public:
    explicit CommunityViewModel(QObject *parent = nullptr);

    VexaClient *client() const { return m_client.data(); }
    void setClient(VexaClient *client);
    CommunityRowModel *topics() const { return m_topicRows; }
    CommunityRowModel *communities() const { return m_communityRows; }
    QAbstractItemModel *rows() const { return m_rows; }
    const QList<VexaForumTopic> &topicList() const { return m_topics; }
    const QList<VexaCommunity> &communityList() const { return m_communities; }
    QString topicsMessage() const;
    QString communitiesMessage() const;
    bool loading() const { return m_loading; }

    QString newTitle() const { return m_newTitle; }
    void setNewTitle(const QString &text);
    QString newBody() const { return m_newBody; }
    void setNewBody(const QString &text);
    bool showingCreate() const { return m_showingCreate; }
    bool canCreate() const;
    bool creating() const { return m_creating; }

    // Both lists afresh (on appearance, the refresh button, F5).
    Q_INVOKABLE void reload();
    Q_INVOKABLE void beginCreate();
    // Closes the form; what was typed stays for the next time.
    Q_INVOKABLE void cancelCreate();
    Q_INVOKABLE void create();

    // The tapped rows as the detail screens take them.
    Q_INVOKABLE QVariant topicAt(int row) const;
    Q_INVOKABLE QVariant communityAt(int row) const;

    // The coroutines behind the commands, for hosts that wait for them.
    QCoro::Task<> load();
    QCoro::Task<> runCreate();

Q_SIGNALS:
    void clientChanged();
    void listsChanged();
    void loadingChanged();
    void newTopicChanged();
    void showingCreateChanged();

private:
    enum class ListState { Empty, Shown, Failed };
    void setTopics(QList<VexaForumTopic> topics, bool failed);
    void setCommunities(QList<VexaCommunity> communities, bool failed);
    void setLoading(bool value);
    void setShowingCreate(bool value);
    void setCreating(bool value);

    QPointer<VexaClient> m_client;
    CommunityRowModel *m_topicRows;
    CommunityRowModel *m_communityRows;
    CommunityRowChain *m_rows;
    QList<VexaForumTopic> m_topics;
    QList<VexaCommunity> m_communities;
    bool m_topicsFailed = false;
    bool m_communitiesFailed = false;
    // Each load takes the next number; only the latest one started may change the lists.
    quint64 m_loadTicket = 0;
    bool m_loading = false;
    QString m_newTitle;
    QString m_newBody;
    bool m_showingCreate = false;
    bool m_creating = false;
};

} // namespace vexa
