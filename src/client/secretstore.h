#pragma once

#include <QByteArray>
#include <QString>
#include <QCoro/QCoroTask>

#include <memory>

namespace vexa {

// The desktop's secret service (the keyring), reached asynchronously. The cookie store keeps the
// session there when one answers; tests hand in a store of their own.
class SecretStore
{
public:
    enum class Status {
        Ok,
        NotFound,    // the service answered; nothing is stored under the key
        Unavailable, // no secret service, or it refused: the caller keeps the secret elsewhere
    };
    struct Read {
        Status status = Status::Unavailable;
        QByteArray value;
    };

    virtual ~SecretStore() = default;

    virtual QCoro::Task<Read> read(QString key) = 0;
    virtual QCoro::Task<Status> write(QString key, QByteArray value) = 0;
    // Ok also when there was nothing to remove.
    virtual QCoro::Task<Status> remove(QString key) = 0;

    // The desktop's keyring through QtKeychain, entries under the service name "VexaAI".
    static std::shared_ptr<SecretStore> system();
};

} // namespace vexa
