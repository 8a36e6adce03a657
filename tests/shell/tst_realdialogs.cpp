// The app's own QML and Qt's dialogs as a fresh machine has them: every QML file of the app
// compiles (each import resolves), and every file dialog of the app opens for real (Qt's own
// implementation, not a fake) and hands its choice on. A QML module missing from the machine
// shows here as an error or a warning instead of a crash when the user first picks a file.

#include "chatviewmodel.h"
#include "desktopdialogs.h"
#include "filedialogsupport.h"
#include "codeworkspaceviewmodel.h"
#include "testclient.h"
#include "vexaaiapp.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <QImage>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickView>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

#include "awaittask.h"

Q_IMPORT_QML_PLUGIN(VexaAI_ShellPlugin)
Q_IMPORT_QML_PLUGIN(VexaAI_ChatPlugin)
Q_IMPORT_QML_PLUGIN(VexaAI_CodePlugin)
Q_IMPORT_QML_PLUGIN(VexaAI_ClientPlugin)
Q_IMPORT_QML_PLUGIN(VexaAI_StylePlugin)

using namespace vexa;
using namespace vexa::test;

namespace {

// Qt's own implementation of a file dialog: a popup made in the window when the dialog first
// opens (its QML needs Qt.labs.folderlistmodel), open while the dialog shows.
QObject *qtFileDialogShown(QQuickView &view)
{
    const auto objects = view.findChildren<QObject *>();
    for (QObject *object : objects) {
        if (object->inherits("QQuickFileDialogImpl") && object->property("opened").toBool())
            return object;
    }
    return nullptr;
}

} // namespace

class RealDialogsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void everyQmlFileCompiles_data();
    void everyQmlFileCompiles();
    void fileDialogsOpen_data();
    void fileDialogsOpen();
    void saveDialogInRussianSavesInOneClick();
    void filePickerStartsOnEveryFile();
    void desktopDialogChoice_data();
    void desktopDialogChoice();

private:
    QQuickView *load(const QString &file);

    QTemporaryDir m_dir;
    std::unique_ptr<TestClient> m_client;
    std::unique_ptr<QQuickView> m_view;
};

void RealDialogsTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    VexaAIApp::prepareApplication();
    QQuickStyle::setStyle(QStringLiteral("Material"));
}

void RealDialogsTest::init()
{
    m_client = std::make_unique<TestClient>();
    VexaClient::setShared(m_client.get());
    // "module … is not installed", "… is not a type", a failed binding inside Qt's dialog.
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
}

void RealDialogsTest::cleanup()
{
    m_view.reset();
    VexaClient::setShared(nullptr);
    m_client.reset();
}

QQuickView *RealDialogsTest::load(const QString &file)
{
    m_view = std::make_unique<QQuickView>();
    VexaAIApp::configureEngine(*m_view->engine());
    m_view->setResizeMode(QQuickView::SizeRootObjectToView);
    m_view->setSource(QUrl(file));
    if (m_view->status() != QQuickView::Ready) {
        qCritical() << m_view->errors();
        return nullptr;
    }
    m_view->resize(1000, 720);
    m_view->show();
    if (!QTest::qWaitForWindowExposed(m_view.get(), vexa::test::scaledMs(5000)))
        return nullptr;
    return m_view.get();
}

void RealDialogsTest::everyQmlFileCompiles_data()
{
    QTest::addColumn<QUrl>("file");
    QDirIterator it(QStringLiteral(":/qt/qml/VexaAI"), {QStringLiteral("*.qml")}, QDir::Files,
                    QDirIterator::Subdirectories);
    int count = 0;
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        // Singletons compile only as imported types: the files importing them cover them.
        if (file.open(QIODevice::ReadOnly) && file.readAll().contains("pragma Singleton"))
            continue;
        QTest::newRow(qPrintable(path)) << QUrl(QStringLiteral("qrc") + path);
        ++count;
    }
    // What Qt's non-native file dialog imports when it first opens.
    QTest::newRow("Qt's file dialog") << QUrl(QStringLiteral("data:text/plain,"));
    QVERIFY2(count > 40, "the app's QML modules are not all linked into this test");
}

void RealDialogsTest::everyQmlFileCompiles()
{
    QFETCH(QUrl, file);
    QQmlEngine engine;
    VexaAIApp::configureEngine(engine);
    QQmlComponent component(&engine);
    if (file.scheme() == QLatin1String("data"))
        component.setData("import QtQuick\nimport QtQuick.Dialogs\nimport QtQuick.Dialogs.quickimpl\n"
                          "import Qt.labs.folderlistmodel\nimport QtQuick.Controls.Material\nItem {}\n",
                          QUrl(QStringLiteral("qrc:/dialog-imports.qml")));
    else
        component.loadUrl(file, QQmlComponent::PreferSynchronous);
    QVERIFY(waitUntil([&] { return !component.isLoading(); }));
    QVERIFY2(component.isReady(), qPrintable(component.errorString()));
}

void RealDialogsTest::fileDialogsOpen_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::newRow("composer: Фото") << QStringLiteral("photoDialog");
    QTest::newRow("composer: Файл") << QStringLiteral("fileDialog");
    QTest::newRow("share menu: Сохранить в файл…") << QStringLiteral("saveDialog");
    QTest::newRow("code workspace: import") << QStringLiteral("importDialog");
}

void RealDialogsTest::fileDialogsOpen()
{
    QFETCH(QString, dialog);
    const bool code = dialog == QLatin1String("importDialog");
    QQuickView *view = load(code ? QStringLiteral("qrc:/qt/qml/VexaAI/Code/CodeWorkspaceView.qml")
                                 : QStringLiteral("qrc:/qt/qml/VexaAI/Chat/ChatView.qml"));
    QVERIFY(view);
    QQuickItem *root = view->rootObject();
    // The chat's dialogs are made when first asked for, in the shown window, and find it by
    // themselves. The workspace's exists with its screen: in the app that screen sits in the
    // root Window, which the dialog finds by itself; a QQuickView adopts the screen only after
    // it is complete.
    QObject *fileDialog = root->findChild<QObject *>(dialog);
    QCOMPARE(fileDialog != nullptr, code);
    if (fileDialog)
        QVERIFY(fileDialog->setProperty("parentWindow", QVariant::fromValue<QWindow *>(view)));

    // What the user picks: a photo, a text file.
    const QString photo = m_dir.filePath(QStringLiteral("кот.png"));
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QVERIFY(picture.save(photo));
    const QString text = m_dir.filePath(QStringLiteral("заметки.txt"));
    {
        QFile file(text);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("print('привет')\n");
    }
    QString chosen = dialog == QLatin1String("photoDialog") ? photo : text;

    // Opened the way the user opens it.
    ChatViewModel *chat = code ? nullptr : root->property("viewModel").value<ChatViewModel *>();
    CodeWorkspaceViewModel *workspace =
        code ? root->property("viewModel").value<CodeWorkspaceViewModel *>() : nullptr;
    if (dialog == QLatin1String("photoDialog")) {
        chat->setShowingPhotoPicker(true);
    } else if (dialog == QLatin1String("fileDialog")) {
        chat->setShowingFilePicker(true);
    } else if (dialog == QLatin1String("saveDialog")) {
        chosen = m_dir.filePath(QStringLiteral("диалог.txt"));
        QMetaObject::invokeMethod(root, "share", Q_ARG(QVariant, QStringLiteral("Вы: привет")),
                                  Q_ARG(QVariant, QVariant::fromValue<QQuickItem *>(nullptr)));
        QObject *shareMenu = root->findChild<QObject *>(QStringLiteral("shareMenu"));
        QVERIFY(shareMenu);
        QVERIFY(waitUntil([&] { return shareMenu->property("opened").toBool(); }));
        QTest::keyClick(view, Qt::Key_Down);
        QTest::keyClick(view, Qt::Key_Down);
        QTest::keyClick(view, Qt::Key_Return); // "Сохранить в файл…"
    } else {
        workspace->setDataRoot(m_dir.filePath(QStringLiteral("data")));
        workspace->store()->openAccount(7);
        QVERIFY(workspace->store()->createProject(QStringLiteral("Импорт")));
        workspace->setShowingImport(true);
    }

    QVERIFY(waitUntil([&] {
        fileDialog = root->findChild<QObject *>(dialog);
        return fileDialog && fileDialog->property("visible").toBool();
    }));
    QVERIFY2(waitUntil([&] { return qtFileDialogShown(*view) != nullptr; }),
             "Qt's file dialog did not appear");

    // The choice, made in Qt's dialog, reaches the screen.
    QObject *shown = qtFileDialogShown(*view);
    const QUrl url = QUrl::fromLocalFile(chosen);
    QVERIFY(shown->setProperty("currentFolder", QUrl::fromLocalFile(m_dir.path())));
    QVERIFY(shown->setProperty("selectedFile", url));
    QMetaObject::invokeMethod(shown, "accept");
    QVERIFY(waitUntil([&] { return !fileDialog->property("visible").toBool(); }));

    if (dialog == QLatin1String("photoDialog")) {
        QCOMPARE(chat->composer()->pickedPhoto(), url);
        QVERIFY(waitUntil([&] { return chat->composer()->hasAttachedImage(); }));
        QVERIFY(!chat->showingPhotoPicker());
    } else if (dialog == QLatin1String("fileDialog")) {
        QCOMPARE(chat->composer()->attachedFile(), url);
        QVERIFY(!chat->showingFilePicker());
    } else if (dialog == QLatin1String("saveDialog")) {
        QFile saved(chosen);
        QVERIFY(waitUntil([&] { return saved.exists(); }));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(saved.readAll()), QStringLiteral("Вы: привет"));
    } else {
        QCOMPARE(workspace->store()->files(), QStringList{QStringLiteral("заметки.txt")});
        QVERIFY(!workspace->showingImport());
    }
}

namespace {

// Every item under `root` (Qt's dialog is a popup: its header, list and footer hang below it).
void collect(QQuickItem *root, QList<QQuickItem *> &items)
{
    items.append(root);
    const auto children = root->childItems();
    for (QQuickItem *child : children)
        collect(child, items);
}

QList<QQuickItem *> itemsOf(QObject *popup)
{
    QList<QQuickItem *> items;
    auto *content = popup->property("contentItem").value<QQuickItem *>();
    if (content && content->parentItem())
        collect(content->parentItem(), items); // the popup's own item: header, content, footer
    return items;
}

QStringList textsOf(const QList<QQuickItem *> &items, const char *type)
{
    QStringList texts;
    for (QQuickItem *item : items) {
        if (item->inherits(type) && item->isVisible())
            texts << item->property("text").toString();
    }
    return texts;
}

QQuickItem *buttonTitled(const QList<QQuickItem *> &items, const QString &title)
{
    for (QQuickItem *item : items) {
        if (item->inherits("QQuickAbstractButton") && item->isVisible()
            && item->property("text").toString() == title)
            return item;
    }
    return nullptr;
}

} // namespace

// The share menu's "Сохранить в файл…" as a new user meets it: Qt's dialog speaks Russian (its
// labels, buttons, sizes and dates), opens in the Documents folder, names its accept button
// "Сохранить", and one click on it after typing a name saves the file; the next save opens where
// the last one went.
void RealDialogsTest::saveDialogInRussianSavesInOneClick()
{
    QQuickView *view = load(QStringLiteral("qrc:/qt/qml/VexaAI/Chat/ChatView.qml"));
    QVERIFY(view);
    QQuickItem *root = view->rootObject();
    QTemporaryDir folder;
    {
        QFile file(folder.filePath(QStringLiteral("старое.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(3000, 'a'));
    }
    auto openSave = [&] {
        QMetaObject::invokeMethod(root, "share", Q_ARG(QVariant, QStringLiteral("Вы: привет")),
                                  Q_ARG(QVariant, QVariant::fromValue<QQuickItem *>(nullptr)));
        QObject *shareMenu = root->findChild<QObject *>(QStringLiteral("shareMenu"));
        QVERIFY(shareMenu);
        QVERIFY(waitUntil([&] { return shareMenu->property("opened").toBool(); }));
        QTest::keyClick(view, Qt::Key_Down);
        QTest::keyClick(view, Qt::Key_Down);
        QTest::keyClick(view, Qt::Key_Return); // "Сохранить в файл…"
        QVERIFY2(waitUntil([&] { return qtFileDialogShown(*view) != nullptr; }),
                 "Qt's file dialog did not appear");
    };

    openSave();
    QObject *shown = qtFileDialogShown(*view);
    QVERIFY(shown);
    // Documents (or home without one) at first, the folder of the last choice after one; never
    // the folder the app was started in.
    const QString opened = shown->property("currentFolder").toUrl().toLocalFile();
    QCOMPARE(opened, style::FileDialogSupport::startFolder(QStringLiteral("documents")));
    QVERIFY(opened != QDir::currentPath());
    QList<QQuickItem *> items = itemsOf(shown);
    const QStringList labels = textsOf(items, "QQuickLabel");
    QVERIFY2(labels.contains(QStringLiteral("Имя файла")) && labels.contains(QStringLiteral("Фильтр")),
             qPrintable(labels.join(QLatin1Char('|'))));
    QVERIFY(buttonTitled(items, QStringLiteral("Сохранить")));
    QVERIFY(buttonTitled(items, QStringLiteral("Отмена")));
    QVERIFY(!buttonTitled(items, QStringLiteral("Открыть")));

    // The user goes to a folder of their own: its file is listed with a Russian size and date.
    QVERIFY(shown->setProperty("currentFolder", QUrl::fromLocalFile(folder.path())));
    QVERIFY(waitUntil([&] {
        return textsOf(itemsOf(shown), "QQuickLabel").contains(QStringLiteral("старое.txt"));
    }));
    const QString details = textsOf(itemsOf(shown), "QQuickLabel").join(QLatin1Char('|'));
    // Russian figures (Qt 6.4 has no Russian name for the binary units: "KiB" stays).
    QVERIFY2(details.contains(QStringLiteral("2,93")), qPrintable(details));
    QVERIFY2(QRegularExpression(QStringLiteral("\\d\\d\\.\\d\\d\\.\\d{4}")).match(details).hasMatch(),
             qPrintable(details));

    // A name typed into the field, one click on "Сохранить".
    items = itemsOf(shown);
    QQuickItem *field = nullptr;
    for (QQuickItem *item : std::as_const(items)) {
        if (item->objectName() == QLatin1String("fileNameTextField"))
            field = item;
    }
    QVERIFY(field && field->isVisible());
    QTest::mouseClick(view, Qt::LeftButton, {}, field->mapToScene(field->boundingRect().center()).toPoint());
    QVERIFY(field->hasActiveFocus());
    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
    for (const QChar c : QStringLiteral("ответ.txt"))
        QTest::sendKeyEvent(QTest::Click, view, Qt::Key_unknown, QString(c), Qt::NoModifier);
    QCOMPARE(field->property("text").toString(), QStringLiteral("ответ.txt"));
    QQuickItem *save = buttonTitled(itemsOf(shown), QStringLiteral("Сохранить"));
    QVERIFY(save && save->isEnabled());
    QTest::mouseClick(view, Qt::LeftButton, {}, save->mapToScene(save->boundingRect().center()).toPoint());
    QFile saved(folder.filePath(QStringLiteral("ответ.txt")));
    QVERIFY(waitUntil([&] { return saved.exists(); }));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(saved.readAll()), QStringLiteral("Вы: привет"));
    QVERIFY(waitUntil([&] { return !qtFileDialogShown(*view); }));

    // The next save starts where this one went.
    openSave();
    QVERIFY(qtFileDialogShown(*view));
    QCOMPARE(qtFileDialogShown(*view)->property("currentFolder").toUrl().toLocalFile(), folder.path());
}

// The composer's "Файл": any file can be sent, so the picker starts on all of them.
void RealDialogsTest::filePickerStartsOnEveryFile()
{
    QQuickView *view = load(QStringLiteral("qrc:/qt/qml/VexaAI/Chat/ChatView.qml"));
    QVERIFY(view);
    auto *chat = view->rootObject()->property("viewModel").value<ChatViewModel *>();
    chat->setShowingFilePicker(true);
    QVERIFY2(waitUntil([&] { return qtFileDialogShown(*view) != nullptr; }),
             "Qt's file dialog did not appear");
    QObject *shown = qtFileDialogShown(*view);
    QStringList filters;
    for (QQuickItem *item : itemsOf(shown)) {
        if (item->inherits("QQuickComboBox") && item->isVisible())
            filters << item->property("displayText").toString();
    }
    QCOMPARE(filters, QStringList{QStringLiteral("Все файлы (*)")});
    const QString opened = shown->property("currentFolder").toUrl().toLocalFile();
    QCOMPARE(opened, style::FileDialogSupport::startFolder(QStringLiteral("documents")));
    QVERIFY(opened != QDir::currentPath());
    QVERIFY(buttonTitled(itemsOf(shown), QStringLiteral("Открыть")));
}

void RealDialogsTest::desktopDialogChoice_data()
{
    QTest::addColumn<QByteArray>("desktop");
    QTest::addColumn<bool>("themeChosen");
    QTest::addColumn<bool>("pluginInstalled");
    QTest::addColumn<QString>("portal"); // the portal back-end's description, "" for none
    QTest::addColumn<bool>("portalTheme");

    const QString kde = QStringLiteral("[portal]\nDBusName=org.freedesktop.impl.portal.desktop.kde\n"
                                       "Interfaces=org.freedesktop.impl.portal.FileChooser;"
                                       "org.freedesktop.impl.portal.Print;\nUseIn=KDE\n");
    const QString keyring = QStringLiteral("[portal]\nDBusName=org.freedesktop.secrets\n"
                                           "Interfaces=org.freedesktop.impl.portal.Secret\nUseIn=gnome\n");
    QTest::newRow("KDE with its portal") << QByteArray("KDE") << false << true << kde << true;
    QTest::newRow("KDE, theme plugin missing") << QByteArray("KDE") << false << false << kde << false;
    QTest::newRow("KDE, no file chooser portal") << QByteArray("KDE") << false << true << keyring << false;
    QTest::newRow("KDE, theme chosen by the user") << QByteArray("KDE") << true << true << kde << false;
    QTest::newRow("GNOME: Qt takes GTK's dialogs") << QByteArray("ubuntu:GNOME") << false << true << kde << false;
    QTest::newRow("no desktop") << QByteArray() << false << true << kde << false;
}

void RealDialogsTest::desktopDialogChoice()
{
    QFETCH(QByteArray, desktop);
    QFETCH(bool, themeChosen);
    QFETCH(bool, pluginInstalled);
    QFETCH(QString, portal);
    QFETCH(bool, portalTheme);
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("themes"));
    QDir(dir.path()).mkpath(QStringLiteral("portals"));
    if (pluginInstalled) {
        QFile plugin(dir.filePath(QStringLiteral("themes/libqxdgdesktopportal.so")));
        QVERIFY(plugin.open(QIODevice::WriteOnly));
    }
    if (!portal.isEmpty()) {
        QFile file(dir.filePath(QStringLiteral("portals/desktop.portal")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(portal.toUtf8());
    }
    QCOMPARE(wantsPortalTheme(desktop, themeChosen, dir.filePath(QStringLiteral("themes")),
                              {dir.filePath(QStringLiteral("portals"))}),
             portalTheme);
}

QTEST_MAIN(RealDialogsTest)
#include "tst_realdialogs.moc"
