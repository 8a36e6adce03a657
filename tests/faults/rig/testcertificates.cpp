#include "testcertificates.h"

#include "awaittask.h"

#include <QFile>
#include <QProcess>
#include <QSslConfiguration>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace vexa::faults {

namespace {

bool run(const QString &openssl, const QStringList &arguments, const QString &dir, QString *error)
{
    QProcess process;
    process.setWorkingDirectory(dir);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(openssl, arguments);
    if (!process.waitForFinished(vexa::test::scaledMs(30'000)) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        *error = QStringLiteral("openssl %1: %2")
                     .arg(arguments.join(u' '), QString::fromLocal8Bit(process.readAll()));
        return false;
    }
    return true;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::optional<TlsIdentity> identity(const QString &dir, const QString &certificate,
                                    const QString &key, QString *error)
{
    TlsIdentity out;
    const auto certificates = QSslCertificate::fromData(readFile(dir + u'/' + certificate));
    out.key = QSslKey(readFile(dir + u'/' + key), QSsl::Ec);
    if (certificates.isEmpty() || out.key.isNull()) {
        *error = QStringLiteral("cannot read %1 or %2").arg(certificate, key);
        return std::nullopt;
    }
    out.certificate = certificates.first();
    return out;
}

} // namespace

std::optional<TestCertificates> TestCertificates::make(QString *error)
{
    const QString openssl = QStandardPaths::findExecutable(QStringLiteral("openssl"));
    if (openssl.isEmpty()) {
        *error = QStringLiteral("the openssl tool is not installed");
        return std::nullopt;
    }
    QTemporaryDir temporary;
    if (!temporary.isValid()) {
        *error = QStringLiteral("no temporary folder");
        return std::nullopt;
    }
    const QString dir = temporary.path();
    {
        QFile extension(dir + QStringLiteral("/leaf.ext"));
        if (!extension.open(QIODevice::WriteOnly)
            || extension.write("subjectAltName=IP:127.0.0.1\n") < 0) {
            *error = QStringLiteral("cannot write the extension file");
            return std::nullopt;
        }
    }
    const QStringList ecKey = {QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                               QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};
    const auto request = [&](const QString &name, const QStringList &extra) {
        return QStringList{QStringLiteral("req")} + ecKey + extra
            + QStringList{QStringLiteral("-keyout"), name + QStringLiteral(".key")};
    };
    const auto sign = [](const QString &name, const QString &days, const QString &serial) {
        return QStringList{QStringLiteral("x509"), QStringLiteral("-req"),
                           QStringLiteral("-in"), name + QStringLiteral(".csr"),
                           QStringLiteral("-CA"), QStringLiteral("ca.pem"),
                           QStringLiteral("-CAkey"), QStringLiteral("ca.key"),
                           QStringLiteral("-set_serial"), serial,
                           QStringLiteral("-extfile"), QStringLiteral("leaf.ext"),
                           QStringLiteral("-days"), days,
                           QStringLiteral("-out"), name + QStringLiteral(".pem")};
    };
    const QString subject = QStringLiteral("/CN=127.0.0.1");
    // "-days -1" ends the certificate a day before it starts: expired from the outset.
    const QList<QStringList> steps = {
        request(QStringLiteral("ca"), {QStringLiteral("-x509"), QStringLiteral("-days"), QStringLiteral("30"),
                                       QStringLiteral("-subj"), QStringLiteral("/CN=Vexa faults test authority"),
                                       QStringLiteral("-out"), QStringLiteral("ca.pem")}),
        request(QStringLiteral("valid"), {QStringLiteral("-subj"), subject, QStringLiteral("-out"),
                                          QStringLiteral("valid.csr")}),
        sign(QStringLiteral("valid"), QStringLiteral("30"), QStringLiteral("2")),
        request(QStringLiteral("expired"), {QStringLiteral("-subj"), subject, QStringLiteral("-out"),
                                            QStringLiteral("expired.csr")}),
        sign(QStringLiteral("expired"), QStringLiteral("-1"), QStringLiteral("3")),
        request(QStringLiteral("self"), {QStringLiteral("-x509"), QStringLiteral("-days"), QStringLiteral("30"),
                                         QStringLiteral("-subj"), subject,
                                         QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1"),
                                         QStringLiteral("-out"), QStringLiteral("self.pem")}),
    };
    for (const QStringList &step : steps) {
        if (!run(openssl, step, dir, error))
            return std::nullopt;
    }

    TestCertificates out;
    const auto authority = QSslCertificate::fromData(readFile(dir + QStringLiteral("/ca.pem")));
    if (authority.isEmpty()) {
        *error = QStringLiteral("cannot read ca.pem");
        return std::nullopt;
    }
    out.authority = authority.first();
    auto valid = identity(dir, QStringLiteral("valid.pem"), QStringLiteral("valid.key"), error);
    auto expired = identity(dir, QStringLiteral("expired.pem"), QStringLiteral("expired.key"), error);
    auto self = identity(dir, QStringLiteral("self.pem"), QStringLiteral("self.key"), error);
    if (!valid || !expired || !self)
        return std::nullopt;
    out.valid = *valid;
    out.expired = *expired;
    out.selfSigned = *self;
    return out;
}

void TestCertificates::trustAuthority() const
{
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.addCaCertificate(authority);
    QSslConfiguration::setDefaultConfiguration(configuration);
}

} // namespace vexa::faults
