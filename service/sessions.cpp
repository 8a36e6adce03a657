#include "sessions.h"

#include <QRandomGenerator>

namespace vexa::service {

namespace {
QDateTime realNow()
{
    return QDateTime::currentDateTimeUtc();
}
} // namespace

SessionStore::SessionStore()
    : m_clock(realNow)
{
}

void SessionStore::setClock(Clock clock)
{
    m_clock = clock ? std::move(clock) : Clock(realNow);
}

bool SessionStore::isExpired(const QDateTime &issuedAt) const
{
    // Valid for exactly the lifetime: at issuedAt + lifetime the code is expired.
    return issuedAt.msecsTo(m_clock()) >= qint64(m_lifetime.count()) * 1000;
}

void SessionStore::dropExpiredCodes()
{
    for (auto it = m_codes.begin(); it != m_codes.end();) {
        if (isExpired(it.value()))
            it = m_codes.erase(it);
        else
            ++it;
    }
}

QString SessionStore::issueCode()
{
    dropExpiredCodes();
    QString code;
    do {
        const quint32 n = QRandomGenerator::system()->bounded(1000000u);
        code = QStringLiteral("%1").arg(n, 6, 10, QLatin1Char('0'));
    } while (m_codes.contains(code) || code == m_fixedCode);
    m_codes.insert(code, m_clock());
    return code;
}

void SessionStore::setFixedCode(const QString &code)
{
    m_fixedCode = code.trimmed();
    m_codes.remove(m_fixedCode);
}

SessionStore::CodeCheck SessionStore::redeem(const QString &typed)
{
    const QString code = typed.trimmed();
    if (code.isEmpty())
        return CodeCheck::Unknown;
    if (!m_fixedCode.isEmpty() && code == m_fixedCode)
        return CodeCheck::Accepted;
    const auto it = m_codes.constFind(code);
    if (it == m_codes.cend())
        return CodeCheck::Unknown;
    const bool expired = isExpired(it.value());
    m_codes.erase(it); // single use; an expired code is gone as well
    return expired ? CodeCheck::Expired : CodeCheck::Accepted;
}

int SessionStore::pendingCodeCount() const
{
    int n = 0;
    for (auto it = m_codes.cbegin(); it != m_codes.cend(); ++it) {
        if (!isExpired(it.value()))
            ++n;
    }
    return n;
}

QByteArray SessionStore::createSession(qint64 userId)
{
    QByteArray token;
    do {
        QByteArray random(32, Qt::Uninitialized);
        QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(random.data()),
                                              random.size() / int(sizeof(quint32)));
        token = random.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
    } while (m_sessions.contains(token));
    m_sessions.insert(token, userId);
    return token;
}

std::optional<qint64> SessionStore::userFor(const QByteArray &token) const
{
    const auto it = m_sessions.constFind(token);
    if (token.isEmpty() || it == m_sessions.cend())
        return std::nullopt;
    return it.value();
}

void SessionStore::endSession(const QByteArray &token)
{
    m_sessions.remove(token);
}

void SessionStore::endAllSessions()
{
    m_sessions.clear();
}

} // namespace vexa::service
