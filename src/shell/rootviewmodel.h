#pragma once

#include "sectionlistmodel.h"
#include "vexaclient.h"
#include "vexasection.h"

#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

namespace vexa {

// A section asked for from outside the window (a desktop notice the user chose), for the root
// view-model of the window to show.
class SectionRequests : public QObject
{
    Q_OBJECT

public:
    static SectionRequests &instance();
    void request(VexaSection section) { Q_EMIT requested(int(section)); }

Q_SIGNALS:
    void requested(int section);
};

// What the root window shows and the navigation between sections. Reads the client's loading
// flag, sign-in, account texts and notice; the only thing it changes on the client is clearing
// the notice when its alert goes away.
class RootViewModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(vexa::VexaClient *client READ client WRITE setClient NOTIFY clientChanged)
    Q_PROPERTY(Screen screen READ screen NOTIFY screenChanged)
    Q_PROPERTY(qreal width READ width WRITE setWidth NOTIFY widthChanged)
    Q_PROPERTY(bool regular READ regular NOTIFY regularChanged)
    Q_PROPERTY(vexa::shell::VexaSection selection READ selection NOTIFY selectionChanged)
    Q_PROPERTY(QString selectionTitle READ selectionTitle NOTIFY selectionChanged)
    Q_PROPERTY(QString selectionDocument READ selectionDocument NOTIFY selectionChanged)
    Q_PROPERTY(bool showingSections READ showingSections NOTIFY showingSectionsChanged)
    Q_PROPERTY(QString quickSearch READ quickSearch WRITE setQuickSearch NOTIFY quickSearchChanged)
    Q_PROPERTY(QString planTitle READ planTitle NOTIFY accountChanged)
    Q_PROPERTY(QString accountName READ accountName NOTIFY accountChanged)
    Q_PROPERTY(bool hasNotice READ hasNotice NOTIFY noticeChanged)
    Q_PROPERTY(QString notice READ notice NOTIFY noticeChanged)
    Q_PROPERTY(vexa::SectionListModel *sidebarSections READ sidebarSections CONSTANT)
    Q_PROPERTY(vexa::SectionListModel *dockSections READ dockSections CONSTANT)
    Q_PROPERTY(vexa::SectionListModel *foundSections READ foundSections CONSTANT)
    Q_PROPERTY(qreal regularMinimumWidth READ regularMinimumWidth CONSTANT)

public:
    enum class Screen { Waiting, SignIn, Sections };
    Q_ENUM(Screen)

    // Windows at least this wide get the sidebar; narrower ones the dock.
    static constexpr qreal kRegularMinimumWidth = 700;

    // Observes the application's shared client until another is set.
    explicit RootViewModel(QObject *parent = nullptr);

    VexaClient *client() const { return m_client; }
    void setClient(VexaClient *client);

    Screen screen() const;
    qreal width() const { return m_width; }
    void setWidth(qreal width);
    bool regular() const { return m_width >= kRegularMinimumWidth; }
    qreal regularMinimumWidth() const { return kRegularMinimumWidth; }

    VexaSection selection() const { return m_selection; }
    QString selectionTitle() const { return sectionTitle(m_selection); }
    QString selectionDocument() const { return sectionDocument(m_selection); }
    bool showingSections() const { return m_showingSections; }
    QString quickSearch() const { return m_quickSearch; }
    void setQuickSearch(const QString &text);

    // The plan's title, or "Мой аккаунт" without one.
    QString planTitle() const;
    // The user's first name, or "Мой Vexa" without one.
    QString accountName() const;

    bool hasNotice() const;
    QString notice() const;

    SectionListModel *sidebarSections() { return &m_sidebar; }
    SectionListModel *dockSections() { return &m_dock; }
    SectionListModel *foundSections() { return &m_found; }

    // Sections arrive from QML as the integer of VexaSection; anything else is ignored.
    Q_INVOKABLE void select(int section);
    // The sections sheet: opening starts with an empty search; choosing a row selects it and
    // closes the sheet.
    Q_INVOKABLE void openSections();
    Q_INVOKABLE void closeSections();
    Q_INVOKABLE void chooseSection(int section);
    // Whatever way the alert went away.
    Q_INVOKABLE void dismissNotice();

Q_SIGNALS:
    void clientChanged();
    void screenChanged();
    void widthChanged();
    void regularChanged();
    void selectionChanged();
    void showingSectionsChanged();
    void quickSearchChanged();
    void accountChanged();
    void noticeChanged();

private:
    void watch(VexaClient *client);
    void updateScreen();
    void setShowingSections(bool showing);

    QPointer<VexaClient> m_client;
    Screen m_screen = Screen::SignIn;
    qreal m_width = 0;
    VexaSection m_selection = VexaSection::Chat;
    bool m_showingSections = false;
    QString m_quickSearch;
    SectionListModel m_sidebar;
    SectionListModel m_dock;
    SectionListModel m_found;
};

} // namespace vexa
