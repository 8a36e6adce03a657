#include "utilityviewmodel.h"

#include "detachedtask.h"
#include "platformtexts.h"
#include "sharing.h"
#include "utilitydrafts.h"

#include <QFileInfo>

namespace vexa {

using namespace utility;

namespace {

// Texts and bodies for the coroutines below, which cannot hold QStringLiteral or braced lists
// (GCC 12).
QString tooShortText()
{
    return QStringLiteral("Введите минимум два символа.");
}

QString nothingYetText()
{
    return QStringLiteral("Пока ничего нет.");
}

QString exportedCountText(const QJsonValue &count)
{
    return QStringLiteral("Сообщений: ") + decimalID(count).value_or(QStringLiteral("0"));
}

QString remindersPath()
{
    return QStringLiteral("/api/productivity/reminders");
}

QJsonObject reminderBody(const QString &text, const QString &when)
{
    return {{QStringLiteral("text"), text}, {QStringLiteral("when"), when}};
}

QJsonObject preferencesBody(bool news, bool promos)
{
    return {{QStringLiteral("news"), news}, {QStringLiteral("promos"), promos}};
}

QString preferencesPath()
{
    return QStringLiteral("/api/notices/preferences");
}

QByteArray postMethod()
{
    return QByteArrayLiteral("POST");
}

QString localPath(const QUrl &file)
{
    return file.isLocalFile() ? file.toLocalFile() : file.toString(QUrl::PreferLocalFile);
}

} // namespace

// --- the sheet -------------------------------------------------------------------------------

UtilityViewModel::UtilityViewModel(QObject *parent)
    : UtilityViewModel(account::ImagesPlatform::system(), parent)
{
}

UtilityViewModel::UtilityViewModel(std::shared_ptr<account::ImagesPlatform> platform, QObject *parent)
    : QObject(parent), m_platform(std::move(platform)), m_rows(new UtilityRowModel(this)),
      m_mode(searchMode()), m_when(defaultWhen())
{
}

QString UtilityViewModel::noticesCaption() const
{
    return PlatformTexts::noticesCaption();
}

void UtilityViewModel::setMode(const QString &mode)
{
    if (m_mode == mode || !modes().contains(mode))
        return;
    m_mode = mode;
    Q_EMIT modeChanged();
    keepDrafts();
    // Nothing of the previous section stays under this section's controls.
    m_rows->setRows({});
    setInfo(QString());
    detach(runLoad(true));
}

void UtilityViewModel::setQuery(const QString &query)
{
    if (m_query == query)
        return;
    m_query = query;
    Q_EMIT queryChanged();
    keepDrafts();
}

void UtilityViewModel::setWhen(const QString &when)
{
    if (m_when == when)
        return;
    m_when = when;
    Q_EMIT whenChanged();
    keepDrafts();
}

void UtilityViewModel::setNews(bool value)
{
    if (m_news == value)
        return;
    m_news = value;
    Q_EMIT newsChanged();
}

void UtilityViewModel::setPromos(bool value)
{
    if (m_promos == value)
        return;
    m_promos = value;
    Q_EMIT promosChanged();
}

void UtilityViewModel::present()
{
    ++m_presentation;
    ++m_loadSerial;
    setBusy(false);
    // The section and the texts are the user's: they come back as they were left.
    if (const auto *drafts = utility::UtilityDrafts::forClient(client())) {
        const QString mode = modes().contains(drafts->mode) ? drafts->mode : searchMode();
        const QString query = drafts->query;
        const QString when = drafts->when;
        if (m_mode != mode) {
            m_mode = mode;
            Q_EMIT modeChanged();
        }
        setQuery(query);
        setWhen(when);
    }
    setNews(true);
    setPromos(false);
    setExported(QString());
    setInfo(QString());
    m_rows->setRows({});
    load();
}

void UtilityViewModel::keepDrafts()
{
    if (auto *drafts = utility::UtilityDrafts::forClient(client())) {
        drafts->mode = m_mode;
        drafts->query = m_query;
        drafts->when = m_when;
    }
}

void UtilityViewModel::load()
{
    detach(runLoad(false));
}

QCoro::Task<> UtilityViewModel::runLoad(bool force)
{
    if (m_busy && !force)
        co_return;
    const quint64 serial = ++m_loadSerial;
    const QString mode = m_mode;
    setBusy(true);
    setInfo(QString());

    QString path;
    if (mode == searchMode()) {
        if (!isSearchable(m_query)) {
            setInfo(tooShortText());
            setBusy(false);
            co_return;
        }
        path = searchPath(m_query);
    } else if (mode == exportMode()) {
        path = exportPath(client()->activeChatIDText());
    } else {
        path = listPath(mode);
    }

    QPointer<UtilityViewModel> self(this);
    auto reply = co_await client()->utility(path);
    if (!self || serial != m_loadSerial)
        co_return; // another section (or presentation) asked since
    setBusy(false);
    if (!reply) {
        setInfo(describe(reply.error()));
        co_return;
    }
    if (mode == exportMode()) {
        const QJsonValue text = reply->value(QLatin1String("text"));
        setExported(text.isString() ? text.toString() : QString());
        setInfo(exportedCountText(reply->value(QLatin1String("count"))));
        co_return;
    }
    QList<UtilityRow> rows;
    for (const QJsonObject &item : replyItems(*reply))
        rows.append(readRow(item, mode));
    m_rows->setRows(rows);
    if (rows.isEmpty())
        setInfo(nothingYetText());
    const QJsonValue preferences = reply->value(QLatin1String("preferences"));
    if (preferences.isObject()) {
        // A member that is missing or not a Boolean leaves its switch as it is.
        const QJsonObject object = preferences.toObject();
        if (object.value(QLatin1String("news")).isBool())
            setNews(object.value(QLatin1String("news")).toBool());
        if (object.value(QLatin1String("promos")).isBool())
            setPromos(object.value(QLatin1String("promos")).toBool());
    }
}

void UtilityViewModel::createReminder()
{
    detach(runCreateReminder());
}

QCoro::Task<> UtilityViewModel::runCreateReminder()
{
    if (m_creatingReminder)
        co_return; // a second press while the first is on its way would make a second reminder
    setCreatingReminder(true);
    const quint64 presentation = m_presentation;
    const QString text = m_query;
    QPointer<UtilityViewModel> self(this);
    auto reply = co_await client()->utility(remindersPath(), reminderBody(text, m_when));
    if (!self)
        co_return;
    setCreatingReminder(false);
    if (reply && m_mode == remindersMode() && m_query == text) {
        // The field also holds the search text: only the reminder that was sent is cleared, also
        // when the sheet was closed meanwhile (its texts are kept for the next opening).
        setQuery(QString());
    }
    if (presentation != m_presentation)
        co_return;
    if (!reply) {
        setInfo(describe(reply.error()));
        co_return;
    }
    co_await runLoad(false);
}

const UtilityRow *UtilityViewModel::row(int index) const
{
    if (index < 0 || index >= m_rows->rows().size())
        return nullptr;
    return &m_rows->rows()[index];
}

void UtilityViewModel::openChat(int index)
{
    detach(runOpenChat(index));
}

QCoro::Task<> UtilityViewModel::runOpenChat(int index)
{
    const UtilityRow *hit = row(index);
    if (!hit || !hit->chatID)
        co_return;
    const quint64 presentation = m_presentation;
    QPointer<UtilityViewModel> self(this);
    co_await client()->selectChat(*hit->chatID);
    if (!self || presentation != m_presentation)
        co_return;
    Q_EMIT closeRequested();
}

void UtilityViewModel::useDocument(int index)
{
    const UtilityRow *document = row(index);
    if (!document || !document->documentID)
        return;
    detach(runRowAction(index, QStringLiteral("/api/productivity/document-use"),
                        {{QStringLiteral("id"), *document->documentID}}, QByteArrayLiteral("POST"),
                        QStringLiteral("Документ выбран. Вернитесь в чат и задайте вопрос."), false));
}

void UtilityViewModel::deleteReminder(int index)
{
    const UtilityRow *reminder = row(index);
    if (!reminder || !reminder->canDelete())
        return;
    detach(runRowAction(index, QStringLiteral("/api/productivity/reminders"),
                        {{QStringLiteral("id"), reminder->reminderID}}, QByteArrayLiteral("DELETE"),
                        QString(), true));
}

void UtilityViewModel::markRead(int index)
{
    const UtilityRow *notice = row(index);
    if (!notice || !notice->noticeID)
        return;
    detach(runRowAction(index, QStringLiteral("/api/notices/read"),
                        {{QStringLiteral("id"), *notice->noticeID}}, QByteArrayLiteral("POST"),
                        QString(), true));
}

QCoro::Task<> UtilityViewModel::runRowAction(int, QString path, QJsonObject body, QByteArray method,
                                             QString success, bool reload)
{
    const quint64 presentation = m_presentation;
    QPointer<UtilityViewModel> self(this);
    auto reply = co_await client()->utility(path, body, method);
    if (!self || presentation != m_presentation)
        co_return;
    if (!reply) {
        setInfo(describe(reply.error()));
        co_return;
    }
    if (!success.isEmpty())
        setInfo(success);
    if (reload)
        co_await runLoad(false);
}

void UtilityViewModel::savePreferences()
{
    detach(runSavePreferences());
}

QCoro::Task<> UtilityViewModel::runSavePreferences()
{
    co_await runRowAction(-1, preferencesPath(), preferencesBody(m_news, m_promos), postMethod(),
                          QString(), true);
}

void UtilityViewModel::openLink(int index)
{
    const UtilityRow *notice = row(index);
    if (notice && notice->link)
        m_platform->openExternally(*notice->link);
}

void UtilityViewModel::copyExport()
{
    if (m_exported.isEmpty())
        return;
    m_platform->copyText(m_exported);
    setInfo(QStringLiteral("Markdown скопирован."));
}

void UtilityViewModel::shareExportByMail()
{
    if (!m_exported.isEmpty())
        m_platform->openExternally(style::mailUrl(m_exported));
}

void UtilityViewModel::saveExport(const QUrl &file)
{
    QString path = localPath(file);
    if (m_exported.isEmpty() || path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".md");
    const auto error = m_platform->saveText(path, m_exported);
    setInfo(error ? *error : QStringLiteral("Сохранено: %1").arg(QFileInfo(path).fileName()));
}

void UtilityViewModel::setInfo(const QString &info)
{
    if (m_info == info)
        return;
    m_info = info;
    Q_EMIT infoChanged();
}

void UtilityViewModel::setExported(const QString &text)
{
    if (m_exported == text)
        return;
    m_exported = text;
    Q_EMIT exportedChanged();
}

void UtilityViewModel::setCreatingReminder(bool creating)
{
    if (m_creatingReminder == creating)
        return;
    m_creatingReminder = creating;
    Q_EMIT creatingReminderChanged();
}

void UtilityViewModel::setBusy(bool busy)
{
    if (m_busy == busy)
        return;
    m_busy = busy;
    Q_EMIT busyChanged();
}

} // namespace vexa
