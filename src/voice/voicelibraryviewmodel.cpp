#include "voicelibraryviewmodel.h"

#include "platform/qtspeechsynthesizer.h"
#include "voicetexts.h"

#include <QGuiApplication>

#include <algorithm>
#include <cmath>

namespace vexa::voice {

int VoiceRowModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant VoiceRowModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const Row &row = m_rows.at(index.row());
    switch (role) {
    case IdentifierRole:
        return row.identifier;
    case NameRole:
        return row.name;
    case DetailsRole:
        return row.details;
    case FavoriteRole:
        return row.favorite;
    case SelectedRole:
        return row.selected;
    default:
        return {};
    }
}

QHash<int, QByteArray> VoiceRowModel::roleNames() const
{
    return {{IdentifierRole, "identifier"},
            {NameRole, "name"},
            {DetailsRole, "details"},
            {FavoriteRole, "favorite"},
            {SelectedRole, "selected"}};
}

void VoiceRowModel::setRows(QList<Row> rows)
{
    bool sameVoices = rows.size() == m_rows.size();
    for (qsizetype i = 0; sameVoices && i < rows.size(); ++i)
        sameVoices = rows.at(i).identifier == m_rows.at(i).identifier;
    if (!sameVoices) {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
        return;
    }
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (rows.at(i) == m_rows.at(i))
            continue;
        m_rows[i] = rows.at(i);
        Q_EMIT dataChanged(index(int(i)), index(int(i)));
    }
}

VoiceLibraryViewModel::VoiceLibraryViewModel(QObject *parent)
    : QObject(parent), m_preferences(std::make_unique<VoicePreferences>()),
      m_catalog(std::make_unique<VexaVoiceCatalog>()),
      m_preview(std::make_unique<VoiceService>(VoicePlatform::system())),
      m_searchLocale(QLocale::system())
{
    wire();
    // Qt has no announcement of newly installed voices: coming back to the application (for
    // example from installing a voice package) lists them again.
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::applicationStateChanged, this,
                [this](Qt::ApplicationState state) {
                    if (state == Qt::ApplicationActive)
                        m_catalog->refresh();
                });
    }
}

VoiceLibraryViewModel::VoiceLibraryViewModel(
    std::shared_ptr<vexa::voice::SpeechSynthesizer> voices, VoicePlatform preview,
    const QString &preferencesPath, QObject *parent)
    : QObject(parent), m_preferences(std::make_unique<VoicePreferences>(preferencesPath)),
      m_catalog(std::make_unique<VexaVoiceCatalog>(std::move(voices))),
      m_preview(std::make_unique<VoiceService>(std::move(preview))),
      m_searchLocale(QLocale::system())
{
    wire();
}

VoiceLibraryViewModel::~VoiceLibraryViewModel()
{
    m_preview->stopSpeaking();
}

void VoiceLibraryViewModel::wire()
{
    m_shownLocale = m_preferences->locale();
    connect(m_catalog.get(), &VexaVoiceCatalog::voicesChanged, this, &VoiceLibraryViewModel::rebuild);
    connect(m_catalog.get(), &VexaVoiceCatalog::loadingChanged, this,
            &VoiceLibraryViewModel::loadingChanged);
    connect(m_preview.get(), &VoiceService::isSpeakingChanged, this,
            &VoiceLibraryViewModel::previewSpeakingChanged);
    // Another screen (the profile, another library) may change the same preferences.
    connect(m_preferences.get(), &VoicePreferences::localeChanged, this,
            &VoiceLibraryViewModel::onLocaleChanged);
    connect(m_preferences.get(), &VoicePreferences::rateChanged, this,
            &VoiceLibraryViewModel::rateChanged);
    connect(m_preferences.get(), &VoicePreferences::russianVoiceIDChanged, this,
            &VoiceLibraryViewModel::rebuild);
    connect(m_preferences.get(), &VoicePreferences::englishVoiceIDChanged, this,
            &VoiceLibraryViewModel::rebuild);
    connect(m_preferences.get(), &VoicePreferences::favoriteVoicesChanged, this,
            &VoiceLibraryViewModel::rebuild);
    rebuild();
}

QString VoiceLibraryViewModel::locale() const
{
    return m_preferences->locale();
}

void VoiceLibraryViewModel::setLocale(const QString &locale)
{
    m_preferences->setLocale(locale); // announces, which lands in onLocaleChanged
}

void VoiceLibraryViewModel::onLocaleChanged()
{
    const QString locale = m_preferences->locale();
    if (locale == m_shownLocale)
        return;
    m_shownLocale = locale;
    // A sample of the other language stops; the search and the filter start over.
    m_preview->stopSpeaking();
    setQuery(QString());
    setOnlyFavorites(false);
    Q_EMIT localeChanged();
    rebuild();
}

double VoiceLibraryViewModel::rate() const
{
    return m_preferences->rate();
}

void VoiceLibraryViewModel::setRate(double rate)
{
    // The slider's bounds, which are also the ones speaking keeps to.
    if (std::isfinite(rate))
        m_preferences->setRate(std::clamp(rate, 0.4, 0.62));
}

void VoiceLibraryViewModel::setQuery(const QString &query)
{
    if (m_query == query)
        return;
    m_query = query;
    Q_EMIT queryChanged();
    rebuild();
}

void VoiceLibraryViewModel::setOnlyFavorites(bool only)
{
    if (m_onlyFavorites == only)
        return;
    m_onlyFavorites = only;
    Q_EMIT onlyFavoritesChanged();
    rebuild();
}

void VoiceLibraryViewModel::setShowingDownloadHelp(bool showing)
{
    if (m_showingDownloadHelp == showing)
        return;
    m_showingDownloadHelp = showing;
    Q_EMIT showingDownloadHelpChanged();
}

void VoiceLibraryViewModel::setSearchLocale(const QLocale &locale)
{
    m_searchLocale = locale;
    rebuild();
}

QString VoiceLibraryViewModel::selection() const
{
    return m_preferences->pinnedVoice(m_shownLocale);
}

std::optional<VoiceInfo> VoiceLibraryViewModel::resolvedSelection() const
{
    const QString pinned = selection();
    if (pinned.isEmpty())
        return std::nullopt;
    auto voice = VexaVoiceCatalog::resolve(m_catalog->inventory(), pinned);
    if (!voice || !VexaVoiceCatalog::sameLanguage(voice->language, m_shownLocale))
        return std::nullopt;
    return voice;
}

bool VoiceLibraryViewModel::selectionMissing() const
{
    // Until the first listing arrives nothing is known to be missing.
    return !selection().isEmpty() && !resolvedSelection() && !m_catalog->inventory().isEmpty();
}

QString VoiceLibraryViewModel::automaticTitle() const
{
    // Before the first listing every pin would read as unusable: say nothing until it is in.
    if (!m_catalog->filled())
        return QString();
    return VexaVoiceCatalog::selectionTitle(m_catalog->inventory(), selection(), m_shownLocale);
}

QString VoiceLibraryViewModel::countsLine() const
{
    return QStringLiteral("Доступно: %1 · показано: %2").arg(m_availableCount).arg(shownCount());
}

QString VoiceLibraryViewModel::emptyText() const
{
    if (shownCount() > 0)
        return QString();
    return m_onlyFavorites ? texts::noFavoriteVoices() : texts::noVoicesFound();
}

QString VoiceLibraryViewModel::caption() const { return texts::libraryCaption(); }
QString VoiceLibraryViewModel::missingWarning() const { return texts::savedVoiceMissing(); }
QString VoiceLibraryViewModel::moreVoicesText() const { return texts::moreVoicesText(); }
QString VoiceLibraryViewModel::downloadHelpButton() const { return texts::downloadHelpButton(); }
QStringList VoiceLibraryViewModel::downloadHelpParagraphs() const
{
    return texts::downloadHelpParagraphs();
}
QString VoiceLibraryViewModel::downloadHelpLinkTitle() const
{
    return texts::downloadHelpLinkTitle();
}
QString VoiceLibraryViewModel::downloadHelpLink() const { return texts::downloadHelpLink(); }

bool VoiceLibraryViewModel::matches(const VoiceInfo &voice, const QString &foldedQuery) const
{
    const QString searchText = voice.name + QLatin1Char(' ') + VexaVoiceCatalog::details(voice);
    return m_searchLocale.toLower(searchText).contains(foldedQuery);
}

void VoiceLibraryViewModel::rebuild()
{
    const QList<VoiceInfo> sorted =
        VexaVoiceCatalog::sorted(m_catalog->inventory(), m_catalog->voices(), m_shownLocale);
    const QSet<QString> favorites = m_preferences->favoriteVoices();
    const std::optional<VoiceInfo> chosen = resolvedSelection();
    // As typed: a leading or trailing space is part of what is looked for.
    const QString folded = m_searchLocale.toLower(m_query);

    QList<VoiceRowModel::Row> rows;
    for (const VoiceInfo &voice : sorted) {
        const bool favorite = favorites.contains(voice.identifier);
        if (m_onlyFavorites && !favorite)
            continue;
        if (!m_query.isEmpty() && !matches(voice, folded))
            continue;
        const bool selected = chosen
            && (chosen->identifier == voice.identifier
                || (chosen->name == voice.name && chosen->language == voice.language
                    && chosen->quality == voice.quality));
        rows.append({voice.identifier, voice.name, VexaVoiceCatalog::details(voice), favorite,
                     selected});
    }
    m_availableCount = int(sorted.size());
    m_rows.setRows(std::move(rows));
    Q_EMIT listChanged();
}

void VoiceLibraryViewModel::selectVoice(const QString &identifier)
{
    m_preferences->setPinnedVoice(m_shownLocale, identifier);
    m_preview->stopSpeaking();
}

void VoiceLibraryViewModel::selectAutomatic()
{
    m_preferences->setPinnedVoice(m_shownLocale, QString());
    m_preview->speak(texts::samplePhrase(m_shownLocale), m_shownLocale, QString(), rate());
}

void VoiceLibraryViewModel::listen(const QString &identifier)
{
    m_preview->speak(texts::samplePhrase(m_shownLocale), m_shownLocale, identifier, rate());
}

void VoiceLibraryViewModel::toggleFavorite(const QString &identifier)
{
    m_preferences->toggleFavorite(identifier);
}

void VoiceLibraryViewModel::refreshVoices()
{
    m_catalog->refresh();
}

void VoiceLibraryViewModel::stopSample()
{
    m_preview->stopSpeaking();
}

void VoiceLibraryViewModel::disappear()
{
    m_preview->stopSpeaking();
}

} // namespace vexa::voice
