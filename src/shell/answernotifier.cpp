#include "answernotifier.h"

#include "answerblocks.h"

namespace vexa {

namespace {

// Only the start of an answer is parsed for its first line: the rest cannot reach the notice.
constexpr qsizetype kParsedChars = 4000;

QString untitledChat()
{
    return QStringLiteral("Чат с Vexa");
}

} // namespace

AnswerNotifier::AnswerNotifier(VexaClient *client, DesktopNotifications *notifications,
                               std::unique_ptr<NotificationPreferences> preferences,
                               QObject *parent)
    : QObject(parent),
      m_client(client),
      m_notifications(notifications),
      m_preferences(std::move(preferences))
{
    if (client)
        connect(client, &VexaClient::answerArrived, this, &AnswerNotifier::announce);
    if (notifications) {
        connect(notifications, &DesktopNotifications::activated, this, [this](quint64 handle) {
            const auto found = m_open.constFind(handle);
            if (found == m_open.constEnd())
                return;
            const AnswerEvent event = found.value();
            // The user is coming back: every other notice is answered too.
            withdrawAll();
            Q_EMIT openRequested(event);
        });
        connect(notifications, &DesktopNotifications::unavailable, this,
                [this](quint64 handle) { m_open.remove(handle); });
    }
    // Turned off: what is shown goes too.
    connect(m_preferences.get(), &NotificationPreferences::notifyAnswersChanged, this, [this] {
        if (!m_preferences->notifyAnswers())
            withdrawAll();
    });
}

void AnswerNotifier::setWindow(QWindow *window)
{
    if (m_window)
        disconnect(m_window, nullptr, this, nullptr);
    m_window = window;
    if (!window)
        return;
    connect(window, &QWindow::activeChanged, this, [this] {
        if (m_window && m_window->isActive())
            withdrawAll();
    });
}

void AnswerNotifier::announce(const AnswerEvent &event)
{
    if (!m_window || m_window->isActive() || !m_preferences->notifyAnswers())
        return;
    if (m_attention)
        m_attention();
    else
        m_window->alert(0);
    if (!m_notifications)
        return;
    const quint64 handle = m_notifications->show(noticeFor(event));
    m_open.insert(handle, event);
}

void AnswerNotifier::withdrawAll()
{
    const auto open = std::exchange(m_open, {});
    if (!m_notifications)
        return;
    for (auto it = open.constBegin(); it != open.constEnd(); ++it)
        m_notifications->withdraw(it.key());
}

DesktopNotice AnswerNotifier::noticeFor(const AnswerEvent &event)
{
    DesktopNotice notice;
    switch (event.kind) {
    case AnswerEvent::Kind::Chat:
        notice.summary = event.title.trimmed().isEmpty() ? untitledChat() : event.title;
        break;
    case AnswerEvent::Kind::Code:
        notice.summary = QStringLiteral("Vexa Code");
        break;
    case AnswerEvent::Kind::Image:
        notice.summary = QStringLiteral("Изображения");
        break;
    }
    if (event.failed)
        notice.body = QStringLiteral("Ответ не получен");
    else if (event.kind == AnswerEvent::Kind::Image)
        notice.body = QStringLiteral("Изображение готово");
    else
        notice.body = firstLine(event.text);
    return notice;
}

QString AnswerNotifier::firstLine(const QString &markdown)
{
    const QString plain = answer::plainText(answer::parseAnswer(markdown.left(kParsedChars)));
    QString line;
    for (const QString &candidate : plain.split(u'\n')) {
        line = candidate.simplified();
        if (!line.isEmpty())
            break;
    }
    if (line.size() <= kBodyChars)
        return line;
    // Cut at a word where one is near the limit, and never inside a surrogate pair.
    qsizetype cut = kBodyChars - 1;
    const qsizetype space = line.lastIndexOf(u' ', cut);
    if (space > kBodyChars / 2)
        cut = space;
    else if (line.at(cut - 1).isHighSurrogate())
        --cut;
    return line.left(cut).trimmed() + QChar(0x2026);
}

} // namespace vexa
