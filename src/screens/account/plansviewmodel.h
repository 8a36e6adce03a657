#pragma once

// The plans screen's state and rules: the tariff offers last loaded, the promo code being typed
// and the redemption in flight. PlansView.qml lays it out. The current tariff is read from the
// client's state, which a redemption and a refresh replace.

#include "catalogrecords.h"
#include "profileplatform.h"
#include "vexaclient.h"

#include <QObject>
#include <QPointer>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include <memory>

namespace vexa {

class PlansViewModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(vexa::VexaClient *client READ client WRITE setClient NOTIFY clientChanged)
    Q_PROPERTY(QString currentPlanLine READ currentPlanLine NOTIFY currentPlanChanged)
    // Each offer: title, current (bool), limitLine, features (list of lines), canBuy (bool).
    Q_PROPERTY(QVariantList offers READ offersForQml NOTIFY offersChanged)
    Q_PROPERTY(bool loading READ loading NOTIFY loadingChanged)
    // Said where the offers would be while there are none: why they could not be loaded, or
    // that the service lists none.
    Q_PROPERTY(QString offersMessage READ offersMessage NOTIFY offersChanged)
    Q_PROPERTY(QString promoCode READ promoCode WRITE setPromoCode NOTIFY promoCodeChanged)
    Q_PROPERTY(bool redeeming READ redeeming NOTIFY redeemingChanged)
    Q_PROPERTY(bool canRedeem READ canRedeem NOTIFY canRedeemChanged)

public:
    explicit PlansViewModel(QObject *parent = nullptr);
    explicit PlansViewModel(std::shared_ptr<account::ProfilePlatform> platform,
                            QObject *parent = nullptr);
    ~PlansViewModel() override;

    VexaClient *client() const { return m_client; }
    void setClient(VexaClient *client);

    QString currentPlanLine() const;
    const QList<VexaPlanOffer> &offers() const { return m_offers; }
    bool loading() const { return m_loading; }
    QString offersMessage() const;
    QString promoCode() const { return m_promoCode; }
    // Stores the code as the field shows it: every letter a capital.
    void setPromoCode(const QString &typed);
    bool redeeming() const { return m_redeeming; }
    bool canRedeem() const;

    // Loads the offers (each time the screen is shown, and on F5).
    Q_INVOKABLE void load();
    Q_INVOKABLE void redeem();
    Q_INVOKABLE void refreshAccount();
    // Opens the offer's purchase address in the bot; nothing for an offer without one.
    Q_INVOKABLE void buy(int index);

Q_SIGNALS:
    void clientChanged();
    void currentPlanChanged();
    void offersChanged();
    void loadingChanged();
    void promoCodeChanged();
    void redeemingChanged();
    void canRedeemChanged();

private:
    QVariantList offersForQml() const;
    void setLoading(bool loading);
    void setRedeeming(bool redeeming);
    static QCoro::Task<> runLoad(QPointer<PlansViewModel> self, QPointer<VexaClient> client);
    static QCoro::Task<> runRedeem(QPointer<PlansViewModel> self, QPointer<VexaClient> client,
                                   QString code);

    std::shared_ptr<account::ProfilePlatform> m_platform;
    QPointer<VexaClient> m_client;
    QMetaObject::Connection m_stateConnection;
    QList<VexaPlanOffer> m_offers;
    bool m_loaded = false;
    std::optional<QString> m_loadFailure;
    bool m_loading = false;
    QString m_promoCode;
    bool m_redeeming = false;
};

} // namespace vexa
