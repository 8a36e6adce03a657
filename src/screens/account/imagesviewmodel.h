#pragma once

// The images screen: a prompt and an image model for generation, a picked picture and an
// instruction for editing, and the last result with saving and copying. The client does the
// service work; this keeps the screen's state and its rules.

#include "imagesplatform.h"

#include "vexaclient.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include <memory>

namespace vexa {

// One image model as the picker lists it.
struct ImageModelChoice {
    QString id;
    QString title;
};

class ImagesViewModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(VexaClient *client READ client NOTIFY clientChanged)
    Q_PROPERTY(QString prompt READ prompt WRITE setPrompt NOTIFY promptChanged)
    Q_PROPERTY(QString editPrompt READ editPrompt WRITE setEditPrompt NOTIFY editPromptChanged)
    Q_PROPERTY(QString selectedModel READ selectedModel WRITE setSelectedModel NOTIFY selectedModelChanged)
    // The picker shows exactly what is sent: its list and its index are bound to these two,
    // which follow both the choice and the state's models.
    Q_PROPERTY(int selectedModelIndex READ selectedModelIndex NOTIFY selectedModelIndexChanged)
    Q_PROPERTY(QVariantList imageModels READ imageModelList NOTIFY imageModelsChanged)
    Q_PROPERTY(bool modelLocked READ modelLocked NOTIFY accountChanged)
    Q_PROPERTY(bool showUnavailable READ showUnavailable NOTIFY accountChanged)
    Q_PROPERTY(bool generating READ generating NOTIFY generatingChanged)
    Q_PROPERTY(bool canGenerate READ canGenerate NOTIFY enablementChanged)
    Q_PROPERTY(bool canEdit READ canEdit NOTIFY enablementChanged)
    Q_PROPERTY(bool hasSource READ hasSource NOTIFY sourceChanged)
    Q_PROPERTY(QImage sourcePreview READ sourcePreview NOTIFY sourceChanged)
    Q_PROPERTY(bool loadingPicture READ loadingPicture NOTIFY loadingPictureChanged)
    Q_PROPERTY(bool hasResult READ hasResult NOTIFY resultChanged)
    Q_PROPERTY(QImage resultPreview READ resultPreview NOTIFY resultChanged)
    // The latest answer was text: the picture shown is an earlier prompt's, not the result.
    Q_PROPERTY(bool resultIsEarlier READ resultIsEarlier NOTIFY resultChanged)
    Q_PROPERTY(QString textResult READ textResult NOTIFY textResultChanged)
    Q_PROPERTY(bool hasTextResult READ hasTextResult NOTIFY textResultChanged)
    Q_PROPERTY(bool saving READ saving NOTIFY savingChanged)
    Q_PROPERTY(QString status READ status NOTIFY statusChanged)

public:
    explicit ImagesViewModel(QObject *parent = nullptr);
    ImagesViewModel(std::shared_ptr<account::ImagesPlatform> platform, QObject *parent = nullptr);

    // The client to work on (the application's unless a test hands in another).
    void setClient(VexaClient *client);
    VexaClient *client() const { return m_client; }

    // The state's image models, by title in code-point order (stable: equal titles keep the
    // order of their identifiers).
    static QList<ImageModelChoice> sortedModels(const std::optional<VexaState> &state);
    // The choice made on every appearance: the account's model, else the first listed, else none.
    static QString initialModel(const std::optional<VexaState> &state);
    // Whether a prompt has anything besides white space and line breaks.
    static bool hasText(const QString &prompt);

    QString prompt() const { return m_prompt; }
    void setPrompt(const QString &prompt);
    QString editPrompt() const { return m_editPrompt; }
    void setEditPrompt(const QString &prompt);
    QString selectedModel() const { return m_selectedModel; }
    void setSelectedModel(const QString &id);
    int selectedModelIndex() const;
    QVariantList imageModelList() const;
    bool modelLocked() const;
    bool showUnavailable() const;
    bool generating() const { return m_client && m_client->generating(); }
    bool canGenerate() const;
    bool canEdit() const;
    bool hasSource() const { return !m_source.isNull(); }
    const QImage &source() const { return m_source; }
    QImage sourcePreview() const { return m_sourcePreview; }
    bool loadingPicture() const { return m_loadingPicture; }
    bool hasResult() const { return !m_result.isNull(); }
    const QImage &result() const { return m_result; }
    QImage resultPreview() const { return m_resultPreview; }
    bool resultIsEarlier() const { return hasResult() && m_resultIsEarlier; }
    QString textResult() const { return m_client ? m_client->imageTextResultText() : QString(); }
    bool hasTextResult() const { return m_client && m_client->imageTextResult().has_value(); }
    bool saving() const { return m_saving; }
    QString status() const { return m_status; }

    Q_INVOKABLE void appear();
    Q_INVOKABLE void generate();
    Q_INVOKABLE void edit();
    // A picture chosen in the file dialog; the newest pick wins over slower earlier ones.
    Q_INVOKABLE void pickPicture(const QUrl &file);
    // The result becomes the picture to edit.
    Q_INVOKABLE void editResult();
    // Saving and copying take only a picture that is the latest answer.
    Q_INVOKABLE void saveResult(const QUrl &file);
    Q_INVOKABLE void copyResult();
    Q_INVOKABLE void copyTextResult();
    Q_INVOKABLE void saveTextResult(const QUrl &file);
    Q_INVOKABLE void shareTextResultByMail();
    Q_INVOKABLE void openTariffs();

    // Coroutines behind the commands, for tests to await.
    QCoro::Task<> runGenerate();
    QCoro::Task<> runEdit();
    QCoro::Task<> runPick(QString path);
    QCoro::Task<> runSave(QString path);

Q_SIGNALS:
    void clientChanged();
    void promptChanged();
    void editPromptChanged();
    void selectedModelChanged();
    void selectedModelIndexChanged();
    void imageModelsChanged();
    void accountChanged();
    void generatingChanged();
    void enablementChanged();
    void sourceChanged();
    void loadingPictureChanged();
    void resultChanged();
    void textResultChanged();
    void savingChanged();
    void statusChanged();

private:
    QCoro::Task<> takeResult(std::optional<QImage> image);
    // The state changed: the list is published only when it differs, and a chosen model the
    // state no longer lists gives way to the choice made on appearance.
    void followModels();
    void setStatus(const QString &status);
    void setLoadingPicture(bool value);

    std::shared_ptr<account::ImagesPlatform> m_platform;
    QPointer<VexaClient> m_client;
    QList<QMetaObject::Connection> m_connections;
    QString m_prompt;
    QString m_editPrompt;
    QString m_selectedModel;
    QList<ImageModelChoice> m_models; // as last published
    QImage m_source;
    QImage m_sourcePreview;
    QImage m_result;
    QImage m_resultPreview;
    quint64 m_pickSerial = 0;
    quint64 m_resultSerial = 0;
    bool m_resultIsEarlier = false;
    bool m_loadingPicture = false;
    bool m_saving = false;
    QString m_status;
};

} // namespace vexa
