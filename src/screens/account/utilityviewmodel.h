#pragma once

// The productivity sheet: history search, a Markdown export, documents, Telegram reminders and
// notices. Every call goes through the client's utility() (its own path allow-list); results
// and failures go to the sheet's own status line, never to the client's notice.
//
// A reply belongs to the section that asked for it: rows are cleared on a section change, a
// section change loads at once even while an earlier load runs, and a late reply of another
// section (or of an earlier presentation of the sheet) is dropped. The section and the typed
// texts outlive the sheet (utilitydrafts.h): each presentation goes on where the last one ended.

#include "imagesplatform.h"
#include "utilityrowmodel.h"
#include "utilityrules.h"

#include "vexaclient.h"

#include <QLocale>
#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

#include <memory>

namespace vexa {

class UtilityViewModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QStringList modes READ modes CONSTANT)
    Q_PROPERTY(QString mode READ mode WRITE setMode NOTIFY modeChanged)
    Q_PROPERTY(QString query READ query WRITE setQuery NOTIFY queryChanged)
    Q_PROPERTY(QString when READ when WRITE setWhen NOTIFY whenChanged)
    Q_PROPERTY(QString info READ info NOTIFY infoChanged)
    Q_PROPERTY(QString exported READ exported NOTIFY exportedChanged)
    Q_PROPERTY(bool busy READ busy NOTIFY busyChanged)
    Q_PROPERTY(bool creatingReminder READ creatingReminder NOTIFY creatingReminderChanged)
    Q_PROPERTY(bool news READ news WRITE setNews NOTIFY newsChanged)
    Q_PROPERTY(bool promos READ promos WRITE setPromos NOTIFY promosChanged)
    Q_PROPERTY(UtilityRowModel *rows READ rows CONSTANT)
    Q_PROPERTY(QString noticesCaption READ noticesCaption CONSTANT)

public:
    explicit UtilityViewModel(QObject *parent = nullptr);
    UtilityViewModel(std::shared_ptr<account::ImagesPlatform> platform, QObject *parent = nullptr);

    void setClient(VexaClient *client) { m_client = client; }
    void setLocale(const QLocale &locale) { m_rows->setLocale(locale); }

    QStringList modes() const { return utility::modes(); }
    QString mode() const { return m_mode; }
    void setMode(const QString &mode);
    QString query() const { return m_query; }
    void setQuery(const QString &query);
    QString when() const { return m_when; }
    void setWhen(const QString &when);
    QString info() const { return m_info; }
    QString exported() const { return m_exported; }
    bool busy() const { return m_busy; }
    // A reminder is on its way: "Напомнить в Telegram" waits for it, so one press is one reminder.
    bool creatingReminder() const { return m_creatingReminder; }
    bool news() const { return m_news; }
    void setNews(bool value);
    bool promos() const { return m_promos; }
    void setPromos(bool value);
    UtilityRowModel *rows() const { return m_rows; }
    QString noticesCaption() const;

    // A presentation of the sheet: the section and texts the user left, lists loaded anew.
    Q_INVOKABLE void present();
    Q_INVOKABLE void load();
    Q_INVOKABLE void createReminder();
    Q_INVOKABLE void openChat(int row);
    Q_INVOKABLE void useDocument(int row);
    Q_INVOKABLE void deleteReminder(int row);
    Q_INVOKABLE void markRead(int row);
    Q_INVOKABLE void savePreferences();
    Q_INVOKABLE void openLink(int row);
    Q_INVOKABLE void copyExport();
    Q_INVOKABLE void saveExport(const QUrl &file);
    // A new mail in the desktop's mail client with the Markdown as its body.
    Q_INVOKABLE void shareExportByMail();

    // Coroutines behind the commands, for tests to await. `force` starts a load even while
    // another runs (a section change); otherwise a running load wins.
    QCoro::Task<> runLoad(bool force = false);
    QCoro::Task<> runCreateReminder();
    QCoro::Task<> runOpenChat(int row);
    QCoro::Task<> runRowAction(int row, QString path, QJsonObject body, QByteArray method,
                               QString success, bool reload);
    QCoro::Task<> runSavePreferences();

Q_SIGNALS:
    void modeChanged();
    void queryChanged();
    void whenChanged();
    void infoChanged();
    void exportedChanged();
    void busyChanged();
    void creatingReminderChanged();
    void newsChanged();
    void promosChanged();
    // "Открыть диалог" chose a chat: the host closes the sheet.
    void closeRequested();

private:
    VexaClient *client() const { return m_client ? m_client.data() : VexaClient::shared(); }
    const utility::UtilityRow *row(int index) const;
    void setInfo(const QString &info);
    void setExported(const QString &text);
    void setBusy(bool busy);
    void setCreatingReminder(bool creating);
    // Keeps the user's section and texts for the next presentation.
    void keepDrafts();

    std::shared_ptr<account::ImagesPlatform> m_platform;
    QPointer<VexaClient> m_client;
    UtilityRowModel *m_rows;
    QString m_mode;
    QString m_query;
    QString m_when;
    QString m_info;
    QString m_exported;
    bool m_busy = false;
    bool m_creatingReminder = false;
    bool m_news = true;
    bool m_promos = false;
    quint64 m_loadSerial = 0;   // the load whose reply is wanted
    quint64 m_presentation = 0; // replies of an earlier presentation are dropped
};

} // namespace vexa
