#pragma once

// The tools screen: a web search answered by the service, the account's saved actions applied
// to a typed text, and the assistant characters (activate one, or none; portraits; purchase
// links of locked ones). A search and an action may run at the same time.

#include "catalogrecords.h"
#include "chatplatform.h"
#include "keyedrowmodel.h"
#include "vexaclient.h"

#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

#include <memory>

namespace vexa {

class ToolsViewModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString query READ query WRITE setQuery NOTIFY queryChanged)
    Q_PROPERTY(QString searchResult READ searchResult NOTIFY searchChanged)
    Q_PROPERTY(bool searchBusy READ searchBusy NOTIFY searchChanged)
    Q_PROPERTY(bool canSearch READ canSearch NOTIFY searchChanged)
    Q_PROPERTY(QString actionInput READ actionInput WRITE setActionInput NOTIFY actionInputChanged)
    Q_PROPERTY(QString actionResult READ actionResult NOTIFY actionChanged)
    Q_PROPERTY(bool actionBusy READ actionBusy NOTIFY actionChanged)
    Q_PROPERTY(bool canRunAction READ canRunAction NOTIFY actionChanged)
    // Rows keyed by the action's id: "title".
    Q_PROPERTY(vexa::KeyedRowModel *actions READ actions CONSTANT)
    Q_PROPERTY(qint64 selectedAction READ selectedAction WRITE setSelectedAction NOTIFY actionsChanged)
    Q_PROPERTY(int selectedActionIndex READ selectedActionIndex NOTIFY actionsChanged)
    // Rows keyed by the character's id: "name", "story", "emoji", "portrait" (an address or
    // empty) and "button" ("active", "enable", "open" or "none").
    Q_PROPERTY(vexa::KeyedRowModel *characters READ characters CONSTANT)
    Q_PROPERTY(bool charactersLoading READ charactersLoading NOTIFY charactersLoadingChanged)
    Q_PROPERTY(bool activating READ activating NOTIFY activatingChanged)

public:
    explicit ToolsViewModel(QObject *parent = nullptr);
    ToolsViewModel(VexaClient *client, std::shared_ptr<chat::ChatPlatform> platform,
                   QObject *parent = nullptr);

    void setPlatform(std::shared_ptr<chat::ChatPlatform> platform) { m_platform = std::move(platform); }

    QString query() const { return m_query; }
    void setQuery(const QString &query);
    QString searchResult() const { return m_searchResult; }
    bool searchBusy() const { return m_searchBusy; }
    bool canSearch() const;
    QString actionInput() const { return m_actionInput; }
    void setActionInput(const QString &input);
    QString actionResult() const { return m_actionResult; }
    bool actionBusy() const { return m_actionBusy; }
    bool canRunAction() const;
    KeyedRowModel *actions() const { return m_actionRows; }
    qint64 selectedAction() const { return m_selectedAction; }
    void setSelectedAction(qint64 id);
    // The row of the selected action in `actions` (the first when it is not among them).
    int selectedActionIndex() const;
    KeyedRowModel *characters() const { return m_characterRows; }
    bool charactersLoading() const { return m_charactersLoading; }
    bool activating() const { return m_activating; }

    const QList<VexaCharacter> &characterList() const { return m_characters; }

    // The screen came on screen: load the characters.
    Q_INVOKABLE void appear();
    // F5: the characters again.
    Q_INVOKABLE void reloadCharacters();
    Q_INVOKABLE void search();
    Q_INVOKABLE void selectActionAt(int row);
    Q_INVOKABLE void runAction();
    // A character's id, or "none" to switch the character off.
    Q_INVOKABLE void activateCharacter(const QString &id);
    Q_INVOKABLE void openPurchaseLink(int row);
    Q_INVOKABLE void copyText(const QString &text);

Q_SIGNALS:
    void queryChanged();
    void searchChanged();
    void actionInputChanged();
    void actionChanged();
    void actionsChanged();
    void charactersChanged();
    void charactersLoadingChanged();
    void activatingChanged();

private:
    QCoro::Task<> runSearch(QString query);
    QCoro::Task<> runActionTask(VexaAction action, QString input);
    QCoro::Task<> loadCharacters();
    QCoro::Task<> runActivate(QString id);
    QList<VexaAction> stateActions() const;
    void followState();
    void setCharacters(QList<VexaCharacter> characters);
    void setActivating(bool activating);

    QPointer<VexaClient> m_client;
    std::shared_ptr<chat::ChatPlatform> m_platform;
    QString m_query;
    QString m_searchResult;
    bool m_searchBusy = false;
    QString m_actionInput;
    QString m_actionResult;
    bool m_actionBusy = false;
    qint64 m_selectedAction = 0;
    QList<VexaCharacter> m_characters;
    KeyedRowModel *m_actionRows;
    KeyedRowModel *m_characterRows;
    bool m_charactersLoading = false;
    bool m_activating = false;
};

} // namespace vexa
