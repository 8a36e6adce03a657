#pragma once

#include "speechsynthesizer.h"
#include "vexavoicecatalog.h"
#include "voicepreferences.h"
#include "voiceservice.h"

#include <QAbstractListModel>
#include <QLocale>
#include <QObject>
#include <QSet>
#include <QtQml/qqmlregistration.h>

#include <memory>

namespace vexa::voice {

// The rows of the voice library: one voice each, with what the row shows and marks.
class VoiceRowModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ANONYMOUS

public:
    enum Role { IdentifierRole = Qt::UserRole + 1, NameRole, DetailsRole, FavoriteRole, SelectedRole };

    struct Row
    {
        QString identifier;
        QString name;
        QString details;
        bool favorite = false;
        bool selected = false;
        friend bool operator==(const Row &, const Row &) = default;
    };

    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    const QList<Row> &rows() const { return m_rows; }
    // Same voices in the same order: only the marks change in place, so focus and scrolling stay.
    void setRows(QList<Row> rows);

private:
    QList<Row> m_rows;
};

// The voice library: the conversation language, the pinned voice per language (or the automatic
// choice), favourites, search, the speech rate and samples. Everything it changes is stored in
// the voice preferences at once. It owns its catalog and the VoiceService that plays samples.
class VoiceLibraryViewModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString locale READ locale WRITE setLocale NOTIFY localeChanged)
    Q_PROPERTY(double rate READ rate WRITE setRate NOTIFY rateChanged)
    Q_PROPERTY(QString query READ query WRITE setQuery NOTIFY queryChanged)
    Q_PROPERTY(bool onlyFavorites READ onlyFavorites WRITE setOnlyFavorites NOTIFY onlyFavoritesChanged)
    Q_PROPERTY(bool showingDownloadHelp READ showingDownloadHelp WRITE setShowingDownloadHelp
                   NOTIFY showingDownloadHelpChanged)
    Q_PROPERTY(QString selection READ selection NOTIFY listChanged)
    Q_PROPERTY(bool automaticSelected READ automaticSelected NOTIFY listChanged)
    Q_PROPERTY(bool selectionMissing READ selectionMissing NOTIFY listChanged)
    Q_PROPERTY(QString automaticTitle READ automaticTitle NOTIFY listChanged)
    Q_PROPERTY(vexa::voice::VoiceRowModel *voices READ voices CONSTANT)
    Q_PROPERTY(int availableCount READ availableCount NOTIFY listChanged)
    Q_PROPERTY(int shownCount READ shownCount NOTIFY listChanged)
    Q_PROPERTY(QString countsLine READ countsLine NOTIFY listChanged)
    Q_PROPERTY(QString emptyText READ emptyText NOTIFY listChanged)
    Q_PROPERTY(bool loading READ loading NOTIFY loadingChanged)
    Q_PROPERTY(bool previewSpeaking READ previewSpeaking NOTIFY previewSpeakingChanged)
    // Where voices come from on this system (see voicetexts.h).
    Q_PROPERTY(QString caption READ caption CONSTANT)
    Q_PROPERTY(QString missingWarning READ missingWarning CONSTANT)
    Q_PROPERTY(QString moreVoicesText READ moreVoicesText CONSTANT)
    Q_PROPERTY(QString downloadHelpButton READ downloadHelpButton CONSTANT)
    Q_PROPERTY(QStringList downloadHelpParagraphs READ downloadHelpParagraphs CONSTANT)
    Q_PROPERTY(QString downloadHelpLinkTitle READ downloadHelpLinkTitle CONSTANT)
    Q_PROPERTY(QString downloadHelpLink READ downloadHelpLink CONSTANT)

public:
    // The system's voices and the application's preferences.
    explicit VoiceLibraryViewModel(QObject *parent = nullptr);
    // Tests: the catalog lists `voices`, samples go to `preview`, preferences in an INI file.
    VoiceLibraryViewModel(std::shared_ptr<vexa::voice::SpeechSynthesizer> voices,
                          VoicePlatform preview, const QString &preferencesPath,
                          QObject *parent = nullptr);
    ~VoiceLibraryViewModel() override;

    QString locale() const;
    void setLocale(const QString &locale);
    double rate() const;
    void setRate(double rate);
    QString query() const { return m_query; }
    void setQuery(const QString &query);
    bool onlyFavorites() const { return m_onlyFavorites; }
    void setOnlyFavorites(bool only);
    bool showingDownloadHelp() const { return m_showingDownloadHelp; }
    void setShowingDownloadHelp(bool showing);

    // The pin of the current language ("" for automatic).
    QString selection() const;
    bool automaticSelected() const { return selection().isEmpty(); }
    // A pin that names no installed voice of the language: warned about, nothing marked.
    bool selectionMissing() const;
    QString automaticTitle() const;
    VoiceRowModel *voices() { return &m_rows; }
    int availableCount() const { return m_availableCount; }
    int shownCount() const { return int(m_rows.rows().size()); }
    QString countsLine() const;
    QString emptyText() const;
    bool loading() const { return m_catalog->loading(); }
    bool previewSpeaking() const { return m_preview->isSpeaking(); }

    QString caption() const;
    QString missingWarning() const;
    QString moreVoicesText() const;
    QString downloadHelpButton() const;
    QStringList downloadHelpParagraphs() const;
    QString downloadHelpLinkTitle() const;
    QString downloadHelpLink() const;

    // The locale whose case rules the search follows (the user's by default).
    void setSearchLocale(const QLocale &locale);
    VexaVoiceCatalog *catalog() { return m_catalog.get(); }
    VoiceService *preview() { return m_preview.get(); }

    Q_INVOKABLE void selectVoice(const QString &identifier);
    // Back to the best voice of the language, and a sample of it.
    Q_INVOKABLE void selectAutomatic();
    Q_INVOKABLE void listen(const QString &identifier);
    Q_INVOKABLE void toggleFavorite(const QString &identifier);
    Q_INVOKABLE void refreshVoices();
    Q_INVOKABLE void stopSample();
    // The sheet is going away.
    Q_INVOKABLE void disappear();

Q_SIGNALS:
    void localeChanged();
    void rateChanged();
    void queryChanged();
    void onlyFavoritesChanged();
    void showingDownloadHelpChanged();
    void listChanged();
    void loadingChanged();
    void previewSpeakingChanged();

private:
    void wire();
    void onLocaleChanged();
    void rebuild();
    bool matches(const vexa::voice::VoiceInfo &voice, const QString &foldedQuery) const;
    std::optional<vexa::voice::VoiceInfo> resolvedSelection() const;

    std::unique_ptr<VoicePreferences> m_preferences;
    std::unique_ptr<VexaVoiceCatalog> m_catalog;
    std::unique_ptr<VoiceService> m_preview;
    VoiceRowModel m_rows;
    QString m_shownLocale;
    QString m_query;
    bool m_onlyFavorites = false;
    bool m_showingDownloadHelp = false;
    int m_availableCount = 0;
    QLocale m_searchLocale;
};

} // namespace vexa::voice
