#include "plansviewmodel.h"

#include "detachedtask.h"
#include "plansrules.h"

namespace vexa {

namespace {

QString plansPath()
{
    return QStringLiteral("/api/plans");
}

QString redeemPath()
{
    return QStringLiteral("/api/promo/redeem");
}

QByteArray postMethod()
{
    return QByteArrayLiteral("POST");
}

QJsonObject redeemBody(const QString &code)
{
    QJsonObject body;
    body.insert(QStringLiteral("code"), code);
    return body;
}

QString noOffersText()
{
    return QStringLiteral("Сервис пока не предлагает тарифов.");
}

QString loadingOffersText()
{
    return QStringLiteral("Загружаем тарифы…");
}

} // namespace

PlansViewModel::PlansViewModel(QObject *parent)
    : PlansViewModel(account::ProfilePlatform::system(), parent)
{
}

PlansViewModel::PlansViewModel(std::shared_ptr<account::ProfilePlatform> platform, QObject *parent)
    : QObject(parent), m_platform(std::move(platform))
{
    setClient(VexaClient::shared());
}

PlansViewModel::~PlansViewModel() = default;

void PlansViewModel::setClient(VexaClient *client)
{
    if (m_client == client)
        return;
    disconnect(m_stateConnection);
    m_client = client;
    if (client)
        m_stateConnection = connect(client, &VexaClient::stateChanged, this,
                                    &PlansViewModel::currentPlanChanged);
    Q_EMIT clientChanged();
    Q_EMIT currentPlanChanged();
    Q_EMIT canRedeemChanged();
}

QString PlansViewModel::currentPlanLine() const
{
    return account::currentPlanLine(m_client ? m_client->state() : std::nullopt);
}

QVariantList PlansViewModel::offersForQml() const
{
    QVariantList list;
    for (const VexaPlanOffer &offer : m_offers) {
        list.append(QVariantMap{
            {QStringLiteral("title"), offer.title},
            {QStringLiteral("current"), offer.isCurrent.value_or(false)},
            {QStringLiteral("limitLine"), account::dailyLimitLine(offer)},
            {QStringLiteral("features"), QStringList(offer.features.value_or(QList<QString>()))},
            {QStringLiteral("canBuy"), account::buyAddress(offer).has_value()},
        });
    }
    return list;
}

QString PlansViewModel::offersMessage() const
{
    if (!m_offers.isEmpty())
        return QString();
    if (m_loadFailure)
        return *m_loadFailure;
    if (!m_loaded)
        return loadingOffersText();
    return noOffersText();
}

void PlansViewModel::setLoading(bool loading)
{
    if (m_loading == loading)
        return;
    m_loading = loading;
    Q_EMIT loadingChanged();
}

void PlansViewModel::load()
{
    if (m_loading || !m_client)
        return;
    setLoading(true);
    detach(runLoad(QPointer<PlansViewModel>(this), m_client));
}

QCoro::Task<> PlansViewModel::runLoad(QPointer<PlansViewModel> self, QPointer<VexaClient> client)
{
    auto reply = co_await client->fetch<PlansResponse>(plansPath());
    if (!self)
        co_return;
    self->setLoading(false);
    if (!reply) {
        // The offers shown stay; the failure is told once, and shown where the list would be.
        self->m_loadFailure = describe(reply.error());
        if (client)
            client->showNotice(*self->m_loadFailure);
    } else if (const auto failure = account::plansFailure(*reply)) {
        // A reply that says it failed and lists nothing carries the service's reason.
        self->m_loadFailure = failure;
        if (client)
            client->showNotice(*failure);
    } else {
        self->m_loadFailure.reset();
        self->m_loaded = true;
        self->m_offers = reply->plans.value_or(QList<VexaPlanOffer>());
    }
    Q_EMIT self->offersChanged();
}

void PlansViewModel::setPromoCode(const QString &typed)
{
    const QString shown = account::promoCodeAsShown(typed);
    if (m_promoCode == shown)
        return;
    const bool couldRedeem = canRedeem();
    m_promoCode = shown;
    Q_EMIT promoCodeChanged();
    if (canRedeem() != couldRedeem)
        Q_EMIT canRedeemChanged();
}

bool PlansViewModel::canRedeem() const
{
    return m_client && !m_redeeming && account::promoCodeReady(m_promoCode);
}

void PlansViewModel::setRedeeming(bool redeeming)
{
    if (m_redeeming == redeeming)
        return;
    const bool couldRedeem = canRedeem();
    m_redeeming = redeeming;
    Q_EMIT redeemingChanged();
    if (canRedeem() != couldRedeem)
        Q_EMIT canRedeemChanged();
}

void PlansViewModel::redeem()
{
    // While one redemption runs the button is off: a second would resend the code, and its
    // refusal ("already used") would replace the first one's confirmation.
    if (!canRedeem())
        return;
    setRedeeming(true);
    detach(runRedeem(QPointer<PlansViewModel>(this), m_client, m_promoCode));
}

QCoro::Task<> PlansViewModel::runRedeem(QPointer<PlansViewModel> self, QPointer<VexaClient> client,
                                        QString code)
{
    // Sent exactly as in the field, spaces included.
    auto reply = co_await client->request(redeemPath(), redeemBody(code), postMethod());
    if (!client) {
        if (self)
            self->setRedeeming(false);
        co_return;
    }
    if (!reply) {
        // The typed code stays for another try.
        client->showNotice(describe(reply.error()));
        if (self)
            self->setRedeeming(false);
        co_return;
    }
    client->applyReplyState(*reply);
    // Only the code that was redeemed is cleared; anything typed since stays.
    if (self && self->m_promoCode == code)
        self->setPromoCode(QString());
    co_await client->refresh();
    // The refresh clears the notice when it succeeds: the confirmation comes after it. It is
    // shown even when the screen was closed meanwhile.
    if (client)
        client->showNotice(account::redeemNotice(*reply));
    if (self)
        self->setRedeeming(false);
}

void PlansViewModel::refreshAccount()
{
    if (m_client)
        m_client->startRefresh();
}

void PlansViewModel::buy(int index)
{
    if (index < 0 || index >= m_offers.size())
        return;
    if (const auto address = account::buyAddress(m_offers.at(index)))
        m_platform->openExternally(*address);
}

} // namespace vexa
