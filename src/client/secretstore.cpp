#include "secretstore.h"

#include <QCoro/QCoroSignal>
#include <QFileInfo>
#include <qt6keychain/keychain.h>

#include <memory>

namespace vexa {

namespace {

// Jobs are owned here, not deleted by the library, so the coroutine can read the result after
// the job finished; deleteLater because the job is still inside its own signal then.
struct JobDeleter {
    void operator()(QKeychain::Job *job) const { job->deleteLater(); }
};
template <typename J>
using JobPtr = std::unique_ptr<J, JobDeleter>;

QString serviceName()
{
    return QStringLiteral("VexaAI");
}

SecretStore::Status statusOf(QKeychain::Error error)
{
    switch (error) {
    case QKeychain::NoError:
        return SecretStore::Status::Ok;
    case QKeychain::EntryNotFound:
        return SecretStore::Status::NotFound;
    default:
        return SecretStore::Status::Unavailable;
    }
}

template <typename J>
JobPtr<J> makeJob(const QString &key)
{
    JobPtr<J> job(new J(serviceName()));
    job->setAutoDelete(false);
    job->setInsecureFallback(false); // a plain-text fallback is the cookie file's job, not this
    job->setKey(key);
    return job;
}

// Whether a session bus could answer, the way GIO finds one: its address in the environment, the
// user bus in the runtime folder, or one an X11 session starts on demand. The secret service is
// a bus service; without any bus, asking QtKeychain would load libsecret and GIO at start-up
// only to hear that nothing answers.
bool sessionBusReachable()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") || !qEnvironmentVariableIsEmpty("DISPLAY"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QLatin1String("/bus"));
}

class KeychainSecretStore final : public SecretStore
{
public:
    QCoro::Task<Read> read(QString key) override
    {
        if (!m_busReachable)
            co_return Read{};
        auto job = makeJob<QKeychain::ReadPasswordJob>(key);
        job->start();
        co_await qCoro(job.get(), &QKeychain::Job::finished);
        Read result;
        result.status = statusOf(job->error());
        if (result.status == Status::Ok)
            result.value = job->binaryData();
        co_return result;
    }

    QCoro::Task<Status> write(QString key, QByteArray value) override
    {
        if (!m_busReachable)
            co_return Status::Unavailable;
        auto job = makeJob<QKeychain::WritePasswordJob>(key);
        job->setBinaryData(value);
        job->start();
        co_await qCoro(job.get(), &QKeychain::Job::finished);
        co_return statusOf(job->error());
    }

    QCoro::Task<Status> remove(QString key) override
    {
        if (!m_busReachable)
            co_return Status::Unavailable;
        auto job = makeJob<QKeychain::DeletePasswordJob>(key);
        job->start();
        co_await qCoro(job.get(), &QKeychain::Job::finished);
        const Status status = statusOf(job->error());
        co_return status == Status::NotFound ? Status::Ok : status;
    }

private:
    // Read once: a bus that appears later (a desktop session started after the app) is found
    // by the next launch.
    const bool m_busReachable = sessionBusReachable();
};

} // namespace

std::shared_ptr<SecretStore> SecretStore::system()
{
    return std::make_shared<KeychainSecretStore>();
}

} // namespace vexa
