#include "preferencestore.h"

#include <QHash>
#include <QMetaProperty>
#include <QSettings>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace vexa {

// One per store and process, shared by the instances over it.
class PreferenceFile : public QObject
{
    Q_OBJECT

public:
    explicit PreferenceFile(const QString &iniPath)
        : settings(iniPath.isEmpty()
                       ? std::make_unique<QSettings>(QStringLiteral("VexaAI"), QStringLiteral("VexaAI"))
                       : std::make_unique<QSettings>(iniPath, QSettings::IniFormat))
    {
        settle.setSingleShot(true);
        settle.setInterval(PreferenceStore::kSettleMs);
        connect(&settle, &QTimer::timeout, this, &PreferenceFile::write);
    }
    ~PreferenceFile() override { write(); }

    void set(const QString &key, const QVariant &value)
    {
        settings->setValue(key, value);
        pending = true;
        settle.start();
        Q_EMIT changed(key);
    }
    void write()
    {
        if (!pending)
            return;
        settle.stop();
        pending = false;
        settings->sync();
        Q_EMIT saved();
    }

    std::unique_ptr<QSettings> settings;
    QTimer settle;
    bool pending = false;

Q_SIGNALS:
    void changed(const QString &key);
    void saved();
};

namespace {

std::shared_ptr<PreferenceFile> fileFor(const QString &iniPath)
{
    static QHash<QString, std::weak_ptr<PreferenceFile>> open;
    if (auto file = open.value(iniPath).lock())
        return file;
    auto file = std::make_shared<PreferenceFile>(iniPath);
    open.insert(iniPath, file);
    return file;
}

} // namespace

PreferenceStore::PreferenceStore(const QString &iniPath, QList<Preference> schema, QObject *parent)
    : QObject(parent), m_schema(std::move(schema)), m_file(fileFor(iniPath))
{
    connect(m_file.get(), &PreferenceFile::changed, this, &PreferenceStore::announce);
    connect(m_file.get(), &PreferenceFile::saved, this, &PreferenceStore::saved);
}

PreferenceStore::~PreferenceStore() = default;

void PreferenceStore::flush()
{
    m_file->write();
}

const Preference &PreferenceStore::preference(const QString &key) const
{
    const auto found = std::find_if(m_schema.cbegin(), m_schema.cend(),
                                    [&](const Preference &p) { return p.key == key; });
    Q_ASSERT(found != m_schema.cend());
    return *found;
}

QVariant PreferenceStore::read(const Preference &p) const
{
    const QVariant stored = m_file->settings->value(p.key, p.fallback);
    if (p.fallback.typeId() != QMetaType::Double)
        return stored;
    bool ok = false;
    const double value = stored.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return p.fallback;
    return std::clamp(value, p.minimum, p.maximum);
}

bool PreferenceStore::flag(const QString &key) const
{
    return read(preference(key)).toBool();
}

QString PreferenceStore::text(const QString &key) const
{
    return read(preference(key)).toString();
}

double PreferenceStore::number(const QString &key) const
{
    return read(preference(key)).toDouble();
}

bool PreferenceStore::store(const QString &key, const QVariant &value)
{
    const Preference &p = preference(key);
    QVariant stored = value;
    if (p.fallback.typeId() == QMetaType::Double) {
        const double number = value.toDouble();
        if (!std::isfinite(number))
            return false;
        stored = std::clamp(number, p.minimum, p.maximum);
    }
    const QVariant now = read(p);
    const bool same = p.fallback.typeId() == QMetaType::Double ? stored.toDouble() == now.toDouble()
                      : p.fallback.typeId() == QMetaType::Bool ? stored.toBool() == now.toBool()
                                                               : stored.toString() == now.toString();
    if (same)
        return false;
    m_file->set(key, stored);
    return true;
}

void PreferenceStore::announce(const QString &key)
{
    const auto found = std::find_if(m_schema.cbegin(), m_schema.cend(),
                                    [&](const Preference &p) { return p.key == key; });
    if (found == m_schema.cend())
        return;
    const QMetaObject *meta = metaObject();
    const int index = meta->indexOfProperty(found->property);
    if (index >= 0 && meta->property(index).hasNotifySignal())
        meta->property(index).notifySignal().invoke(this, Qt::DirectConnection);
}

} // namespace vexa

#include "preferencestore.moc"
