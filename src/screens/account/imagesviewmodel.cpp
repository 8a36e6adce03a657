#include "imagesviewmodel.h"

#include "detachedtask.h"
#include "sharing.h"

#include <QFileInfo>

#include <algorithm>

namespace vexa {

namespace {

// Plain code-point order: QString's own comparison works on UTF-16 units, which puts
// characters beyond U+FFFF before U+E000…U+FFFF.
bool codePointLess(const QString &a, const QString &b)
{
    const QList<uint> left = a.toUcs4();
    const QList<uint> right = b.toUcs4();
    return std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end());
}

// Texts for the coroutines below, which cannot hold QStringLiteral (GCC 12).
QString unreadablePicture(const QString &path)
{
    return QStringLiteral("Файл «%1» не удалось открыть как изображение.").arg(QFileInfo(path).fileName());
}

QString savedAs(const QString &path)
{
    return QStringLiteral("Сохранено: %1").arg(QFileInfo(path).fileName());
}

QString withSuffix(const QString &path, const QString &suffix)
{
    return QFileInfo(path).suffix().isEmpty() ? path + QLatin1Char('.') + suffix : path;
}

QString pickedPath(const QUrl &file)
{
    return file.isLocalFile() ? file.toLocalFile() : file.toString(QUrl::PreferLocalFile);
}

} // namespace

ImagesViewModel::ImagesViewModel(QObject *parent)
    : ImagesViewModel(account::ImagesPlatform::system(), parent)
{
}

ImagesViewModel::ImagesViewModel(std::shared_ptr<account::ImagesPlatform> platform, QObject *parent)
    : QObject(parent), m_platform(std::move(platform))
{
    connect(this, &ImagesViewModel::promptChanged, this, &ImagesViewModel::enablementChanged);
    connect(this, &ImagesViewModel::editPromptChanged, this, &ImagesViewModel::enablementChanged);
    connect(this, &ImagesViewModel::selectedModelChanged, this, &ImagesViewModel::enablementChanged);
    connect(this, &ImagesViewModel::sourceChanged, this, &ImagesViewModel::enablementChanged);
    connect(this, &ImagesViewModel::accountChanged, this, &ImagesViewModel::enablementChanged);
    connect(this, &ImagesViewModel::generatingChanged, this, &ImagesViewModel::enablementChanged);
    connect(this, &ImagesViewModel::accountChanged, this, &ImagesViewModel::followModels);
    connect(this, &ImagesViewModel::selectedModelChanged, this,
            &ImagesViewModel::selectedModelIndexChanged);
    setClient(VexaClient::shared());
}

void ImagesViewModel::setClient(VexaClient *client)
{
    if (m_client == client)
        return;
    for (const auto &connection : std::as_const(m_connections))
        disconnect(connection);
    m_connections.clear();
    m_client = client;
    if (client) {
        m_connections = {
            connect(client, &VexaClient::stateChanged, this, &ImagesViewModel::accountChanged),
            connect(client, &VexaClient::generatingChanged, this, &ImagesViewModel::generatingChanged),
            connect(client, &VexaClient::imageTextResultChanged, this,
                    &ImagesViewModel::textResultChanged),
        };
    }
    Q_EMIT clientChanged();
    Q_EMIT accountChanged();
    Q_EMIT generatingChanged();
    Q_EMIT textResultChanged();
}

QList<ImageModelChoice> ImagesViewModel::sortedModels(const std::optional<VexaState> &state)
{
    QList<ImageModelChoice> models;
    if (!state || !state->imageModels)
        return models;
    for (auto it = state->imageModels->cbegin(); it != state->imageModels->cend(); ++it)
        models.append({it.key(), it.value()});
    std::stable_sort(models.begin(), models.end(), [](const auto &a, const auto &b) {
        return codePointLess(a.title, b.title);
    });
    return models;
}

QString ImagesViewModel::initialModel(const std::optional<VexaState> &state)
{
    if (state && state->imageModel)
        return *state->imageModel;
    const auto models = sortedModels(state);
    return models.isEmpty() ? QString() : models.constFirst().id;
}

bool ImagesViewModel::hasText(const QString &prompt)
{
    return !prompt.trimmed().isEmpty();
}

void ImagesViewModel::setPrompt(const QString &prompt)
{
    if (m_prompt == prompt)
        return;
    m_prompt = prompt;
    Q_EMIT promptChanged();
}

void ImagesViewModel::setEditPrompt(const QString &prompt)
{
    if (m_editPrompt == prompt)
        return;
    m_editPrompt = prompt;
    Q_EMIT editPromptChanged();
}

void ImagesViewModel::setSelectedModel(const QString &id)
{
    if (m_selectedModel == id)
        return;
    m_selectedModel = id;
    Q_EMIT selectedModelChanged();
}

int ImagesViewModel::selectedModelIndex() const
{
    for (int i = 0; i < m_models.size(); ++i) {
        if (m_models[i].id == m_selectedModel)
            return i;
    }
    return -1;
}

QVariantList ImagesViewModel::imageModelList() const
{
    QVariantList list;
    for (const auto &model : m_models)
        list.append(QVariantMap{{QStringLiteral("id"), model.id}, {QStringLiteral("title"), model.title}});
    return list;
}

void ImagesViewModel::followModels()
{
    const auto &state = m_client ? m_client->state() : std::nullopt;
    QList<ImageModelChoice> models = sortedModels(state);
    const bool same = std::equal(models.cbegin(), models.cend(), m_models.cbegin(), m_models.cend(),
                                 [](const ImageModelChoice &a, const ImageModelChoice &b) {
                                     return a.id == b.id && a.title == b.title;
                                 });
    if (!same) {
        m_models = std::move(models);
        Q_EMIT imageModelsChanged();
    }
    const bool listed = std::any_of(m_models.cbegin(), m_models.cend(), [this](const auto &model) {
        return model.id == m_selectedModel;
    });
    if (!listed)
        setSelectedModel(initialModel(state)); // what would be sent is no longer offered
    // A new list resets the picker's index; it is given the choice again.
    if (!same)
        Q_EMIT selectedModelIndexChanged();
}

bool ImagesViewModel::modelLocked() const
{
    return m_client && m_client->state() && m_client->state()->imageModelLocked.value_or(false);
}

bool ImagesViewModel::showUnavailable() const
{
    return m_client && m_client->state() && m_client->state()->canGenerateImages == false;
}

bool ImagesViewModel::canGenerate() const
{
    return m_client && !m_client->generating() && hasText(m_prompt) && !m_selectedModel.isEmpty()
        && m_client->state() && m_client->state()->canGenerateImages.value_or(false);
}

bool ImagesViewModel::canEdit() const
{
    return m_client && !m_client->generating() && hasSource() && hasText(m_editPrompt)
        && m_client->state() && m_client->state()->canGenerateImages.value_or(false);
}

void ImagesViewModel::appear()
{
    setSelectedModel(initialModel(m_client ? m_client->state() : std::nullopt));
}

void ImagesViewModel::generate()
{
    detach(runGenerate());
}

void ImagesViewModel::edit()
{
    detach(runEdit());
}

QCoro::Task<> ImagesViewModel::runGenerate()
{
    if (!canGenerate())
        co_return;
    QPointer<ImagesViewModel> self(this);
    QPointer<VexaClient> client = m_client;
    setStatus(QString());
    auto image = co_await client->generateImage(m_prompt, m_selectedModel);
    if (!self)
        co_return;
    co_await takeResult(std::move(image));
}

QCoro::Task<> ImagesViewModel::runEdit()
{
    if (!canEdit())
        co_return;
    QPointer<ImagesViewModel> self(this);
    QPointer<VexaClient> client = m_client;
    setStatus(QString());
    auto image = co_await client->editImage(m_source, m_editPrompt);
    if (!self)
        co_return;
    co_await takeResult(std::move(image));
}

// A call that yields no picture (a failure, or a text answer) leaves the shown picture in place:
// it may be the only copy of earlier work. After a text answer it is shown as an earlier
// prompt's picture and is no longer offered as the result.
QCoro::Task<> ImagesViewModel::takeResult(std::optional<QImage> image)
{
    if (!image || image->isNull()) {
        if (hasTextResult() && hasResult() && !m_resultIsEarlier) {
            m_resultIsEarlier = true;
            Q_EMIT resultChanged();
        }
        co_return;
    }
    const quint64 serial = ++m_resultSerial;
    QPointer<ImagesViewModel> self(this);
    QImage preview = co_await m_platform->preview(*image);
    if (!self || serial != m_resultSerial)
        co_return;
    m_result = std::move(*image);
    m_resultPreview = std::move(preview);
    m_resultIsEarlier = false;
    Q_EMIT resultChanged();
}

void ImagesViewModel::pickPicture(const QUrl &file)
{
    detach(runPick(pickedPath(file)));
}

QCoro::Task<> ImagesViewModel::runPick(QString path)
{
    const quint64 serial = ++m_pickSerial;
    QPointer<ImagesViewModel> self(this);
    setLoadingPicture(true);
    auto picture = co_await m_platform->loadPicture(path);
    if (!self || serial != m_pickSerial)
        co_return; // a newer pick is on its way
    setLoadingPicture(false);
    if (!picture) {
        setStatus(unreadablePicture(path));
        co_return;
    }
    m_source = std::move(picture->image);
    m_sourcePreview = std::move(picture->preview);
    setStatus(QString());
    Q_EMIT sourceChanged();
}

void ImagesViewModel::editResult()
{
    if (!hasResult())
        return;
    ++m_pickSerial; // a pick still loading must not replace the result chosen now
    setLoadingPicture(false);
    m_source = m_result;
    m_sourcePreview = m_resultPreview;
    Q_EMIT sourceChanged();
}

void ImagesViewModel::saveResult(const QUrl &file)
{
    detach(runSave(pickedPath(file)));
}

QCoro::Task<> ImagesViewModel::runSave(QString path)
{
    if (!hasResult() || resultIsEarlier() || m_saving || path.isEmpty())
        co_return;
    path = withSuffix(path, QString::fromLatin1("png"));
    m_saving = true;
    Q_EMIT savingChanged();
    QPointer<ImagesViewModel> self(this);
    const auto error = co_await m_platform->savePng(path, m_result);
    if (!self)
        co_return;
    m_saving = false;
    Q_EMIT savingChanged();
    setStatus(error ? *error : savedAs(path));
}

void ImagesViewModel::copyResult()
{
    if (!hasResult() || resultIsEarlier())
        return;
    m_platform->copyImage(m_result);
    setStatus(QStringLiteral("Изображение скопировано."));
}

void ImagesViewModel::copyTextResult()
{
    if (!hasTextResult())
        return;
    m_platform->copyText(textResult());
    setStatus(QStringLiteral("Текст скопирован."));
}

void ImagesViewModel::shareTextResultByMail()
{
    if (hasTextResult())
        m_platform->openExternally(style::mailUrl(textResult()));
}

void ImagesViewModel::saveTextResult(const QUrl &file)
{
    const QString path = pickedPath(file);
    if (!hasTextResult() || path.isEmpty())
        return;
    const auto error = m_platform->saveText(path, textResult());
    setStatus(error ? *error : savedAs(path));
}

void ImagesViewModel::openTariffs()
{
    m_platform->openExternally(VexaClient::telegramURL());
}

void ImagesViewModel::setStatus(const QString &status)
{
    if (m_status == status)
        return;
    m_status = status;
    Q_EMIT statusChanged();
}

void ImagesViewModel::setLoadingPicture(bool value)
{
    if (m_loadingPicture == value)
        return;
    m_loadingPicture = value;
    Q_EMIT loadingPictureChanged();
}

} // namespace vexa
