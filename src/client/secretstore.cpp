#include "secretstore.h"

#include <QCoro/QCoroSignal>
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

class KeychainSecretStore final : public SecretStore
{
public:
    QCoro::Task<Read> read(QString key) override
    {
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
        auto job = makeJob<QKeychain::WritePasswordJob>(key);
        job->setBinaryData(value);
        job->start();
        co_await qCoro(job.get(), &QKeychain::Job::finished);
        co_return statusOf(job->error());
    }

    QCoro::Task<Status> remove(QString key) override
    {
        auto job = makeJob<QKeychain::DeletePasswordJob>(key);
        job->start();
        co_await qCoro(job.get(), &QKeychain::Job::finished);
        const Status status = statusOf(job->error());
        co_return status == Status::NotFound ? Status::Ok : status;
    }
};

} // namespace

std::shared_ptr<SecretStore> SecretStore::system()
{
    return std::make_shared<KeychainSecretStore>();
}

} // namespace vexa
