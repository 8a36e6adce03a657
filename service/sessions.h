#pragma once

// Sign-in codes and sessions of the local service, kept in memory.

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>

namespace vexa::service {

class SessionStore
{
public:
    using Clock = std::function<QDateTime()>;

    enum class CodeCheck {
        Accepted,
        Unknown,  // never issued, already used, or the fixed code is off
        Expired,
    };

    SessionStore();

    // A fresh random 6-digit code, single-use, valid for codeLifetime() from now.
    QString issueCode();
    // A code that is always accepted and never used up; empty disables it.
    void setFixedCode(const QString &code);
    QString fixedCode() const { return m_fixedCode; }

    std::chrono::seconds codeLifetime() const { return m_lifetime; }
    void setCodeLifetime(std::chrono::seconds lifetime) { m_lifetime = lifetime; }
    // The time source for code expiry (tests move it forward). Null restores the real clock.
    void setClock(Clock clock);
    QDateTime now() const { return m_clock(); }

    // Checks a code typed by the user (surrounding white space is ignored) and uses it up.
    CodeCheck redeem(const QString &code);
    // Issued codes that are still valid.
    int pendingCodeCount() const;

    // A new session for the account; the token is the cookie value.
    QByteArray createSession(qint64 userId);
    std::optional<qint64> userFor(const QByteArray &token) const;
    void endSession(const QByteArray &token);
    void endAllSessions();
    int sessionCount() const { return int(m_sessions.size()); }

private:
    bool isExpired(const QDateTime &issuedAt) const;
    void dropExpiredCodes();

    QHash<QString, QDateTime> m_codes; // code -> issued at
    QString m_fixedCode;
    QHash<QByteArray, qint64> m_sessions; // token -> user id
    std::chrono::seconds m_lifetime{std::chrono::minutes(10)};
    Clock m_clock;
};

} // namespace vexa::service
