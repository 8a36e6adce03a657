#pragma once

// One community group: description, member count, join or leave, its posts with likes, and the
// composer for members. Membership is what the group's own detail says once it has loaded.

#include "catalogrecords.h"
#include "communitydetailbase.h"
#include "communityrules.h"

#include <QVariant>
#include <QtQml/qqmlregistration.h>

namespace vexa {

class CommunityDetailViewModel : public CommunityDetailBase
{
    Q_OBJECT
    QML_ELEMENT
    // A group row from CommunityViewModel.communityAt().
    Q_PROPERTY(QVariant community READ communityValue WRITE setCommunityValue NOTIFY communityChanged)
    Q_PROPERTY(QString name READ name NOTIFY communityChanged)
    Q_PROPERTY(QString description READ description NOTIFY detailChanged)
    Q_PROPERTY(QString membersText READ membersText NOTIFY detailChanged)
    Q_PROPERTY(bool isMember READ isMember NOTIFY detailChanged)
    Q_PROPERTY(QString membershipLabel READ membershipLabel NOTIFY detailChanged)
    Q_PROPERTY(QString draft READ draft WRITE setDraft NOTIFY draftChanged)
    Q_PROPERTY(bool anonymous READ anonymous WRITE setAnonymous NOTIFY draftChanged)
    Q_PROPERTY(bool sending READ sending NOTIFY draftChanged)
    Q_PROPERTY(bool canSend READ canSend NOTIFY draftChanged)

public:
    explicit CommunityDetailViewModel(QObject *parent = nullptr);

    const std::optional<VexaCommunity> &community() const { return m_community; }
    void setCommunity(const VexaCommunity &community);
    QVariant communityValue() const;
    void setCommunityValue(const QVariant &value);
    const std::optional<VexaCommunity> &detail() const { return m_detail; }
    QString name() const;
    QString description() const;
    QString membersText() const;
    bool isMember() const { return community::isMember(m_detail); }
    QString membershipLabel() const;
    const QList<VexaCommunityPost> &postList() const { return m_posts; }
    QString draft() const { return m_draft; }
    void setDraft(const QString &text);
    bool anonymous() const { return m_anonymous; }
    void setAnonymous(bool value);
    bool sending() const { return m_sending; }
    bool canSend() const;

    Q_INVOKABLE void toggleMembership();
    Q_INVOKABLE void like(qint64 postId);
    Q_INVOKABLE void send();

    QCoro::Task<> load() override;
    QCoro::Task<> runMembership();
    QCoro::Task<> runLike(qint64 postId);
    QCoro::Task<> runSend();

Q_SIGNALS:
    void communityChanged();
    void detailChanged();
    void draftChanged();

private:
    void setDetail(std::optional<VexaCommunity> detail, QList<VexaCommunityPost> posts, bool failed);

    std::optional<VexaCommunity> m_community; // the row that was opened; its id names the group
    std::optional<VexaCommunity> m_detail;    // the group as last loaded
    QList<VexaCommunityPost> m_posts;
    QString m_draft;
    bool m_anonymous = false;
    bool m_sending = false;
};

} // namespace vexa
