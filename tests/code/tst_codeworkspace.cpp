// The code workspace screen: its view-model (account following, dialogs, sending, leaving)
// and the QML view loaded offscreen on top of it.

#include "answermodel.h"
#include "awaittask.h"
#include "codefixtures.h"
#include "codeworkspaceviewmodel.h"
#include "localservice.h"
#include "vexaclient.h"

#include <QJsonDocument>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(VexaAI_CodePlugin)
Q_IMPORT_QML_PLUGIN(VexaAI_ClientPlugin)
Q_IMPORT_QML_PLUGIN(VexaAI_StylePlugin)

using namespace vexa;
using namespace vexa::test;
using vexa::service::LocalService;
using vexa::service::ScriptedReply;

namespace {

// A client whose signed-in account the test sets directly.
class TestClient : public VexaClient
{
public:
    using VexaClient::VexaClient;

    void signInAs(std::optional<qint64> user)
    {
        if (!user) {
            setState(std::nullopt);
            return;
        }
        VexaState state;
        state.user = VexaUser{user, std::nullopt, std::nullopt};
        setState(state);
    }
};

ScriptedReply reply(const QByteArray &body, int delayMs = 0)
{
    ScriptedReply scripted;
    scripted.body = body;
    scripted.delay = std::chrono::milliseconds(delayMs);
    return scripted;
}

// An item by name among the visual children (answer blocks are not QObject children).
QQuickItem *findVisual(QQuickItem *root, const QString &name)
{
    if (root->objectName() == name)
        return root;
    for (QQuickItem *child : root->childItems()) {
        if (QQuickItem *found = findVisual(child, name))
            return found;
    }
    return nullptr;
}

QStringList column(QAbstractItemModel *model, const QByteArray &role)
{
    const int roleId = model->roleNames().key(role);
    QStringList values;
    for (int row = 0; row < model->rowCount(); ++row)
        values.append(model->index(row, 0).data(roleId).toString());
    return values;
}

} // namespace

class TestCodeWorkspace : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<LocalService> m_service;
    std::unique_ptr<TestClient> m_client;

    QString dataRoot() const { return m_dir->path() + QStringLiteral("/data"); }

    std::unique_ptr<CodeWorkspaceViewModel> makeViewModel()
    {
        auto model = std::make_unique<CodeWorkspaceViewModel>();
        model->setDataRoot(dataRoot());
        model->setClient(m_client.get());
        return model;
    }

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_service = std::make_unique<LocalService>();
        QVERIFY(m_service->listen());
        m_client = std::make_unique<TestClient>(m_service->baseUrl().toString(),
                                                m_dir->filePath("cookies"));
    }

    void cleanup()
    {
        VexaClient::setShared(nullptr);
        m_client.reset();
        m_service.reset();
        m_dir.reset();
    }

    void followsTheSignedInAccount()
    {
        const CodeProject mine = projectAt(QStringLiteral("мой"), at(1));
        const CodeProject theirs = projectAt(QStringLiteral("чужой"), at(2));
        QVERIFY(putProject(dataRoot(), 1, mine));
        QVERIFY(putProject(dataRoot(), 2, theirs));
        m_client->signInAs(1);

        auto model = makeViewModel();
        QVERIFY(model->projects()->rowCount() == 0); // nothing before the screen is shown
        model->setShown(true);
        QCOMPARE(column(model->projects(), "name"), QStringList{"мой"});
        QCOMPARE(column(model->projects(), "selected"), QStringList{"true"});

        m_client->signInAs(2);
        QCOMPARE(column(model->projects(), "name"), QStringList{"чужой"});
        QCOMPARE(model->store()->accountRoot(), std::optional<QString>(accountFolder(dataRoot(), 2)));

        // A state refresh for the same account does not reopen it: the open file stays.
        model->store()->createFile(QStringLiteral("x.txt"));
        model->store()->setEditorText(QStringLiteral("draft"));
        m_client->signInAs(2);
        QCOMPARE(model->store()->selectedFile(), std::optional<QString>("x.txt"));
        QCOMPARE(model->store()->editorText(), QStringLiteral("draft"));

        m_client->signInAs(std::nullopt);
        QCOMPARE(model->projects()->rowCount(), 0);
        QCOMPARE(model->store()->accountRoot(), std::nullopt);
        // Signing out kept the draft in its own file.
        QCOMPARE(readBytes(projectFolder(dataRoot(), 2, theirs.id) + "/x.txt"), std::optional<QByteArray>("draft"));
    }

    void sending()
    {
        m_client->signInAs(5);
        auto model = makeViewModel();
        model->setShown(true);
        model->store()->createProject(QStringLiteral("P"));
        m_service->script("POST", "/api/chats",
                          reply(R"({"ok":true,"chats":[],"active_chat_id":"c-9"})"));
        m_service->script("POST", "/api/chat", reply(R"({"ok":true,"answer":"Готово"})", 150));

        QSignalSpy canSend(model.get(), &CodeWorkspaceViewModel::canSendChanged);
        QVERIFY(!model->canSend());
        model->setQuestion(QStringLiteral(" \n "));
        QVERIFY(!model->canSend());
        model->setQuestion(QStringLiteral("Что делает main?"));
        QVERIFY(model->canSend());

        model->send();
        QCOMPARE(model->question(), QString());
        model->setQuestion(QStringLiteral("ещё"));
        QVERIFY(!model->canSend()); // busy
        QVERIFY(waitUntil([&] { return model->conversation()->rowCount() == 1; }));
        QCOMPARE(column(model->conversation(), "caption"), QStringList{"Вы"});

        QVERIFY(waitUntil([&] { return !model->store()->busy(); }));
        QVERIFY(model->canSend());
        QCOMPARE(column(model->conversation(), "caption"), (QStringList{"Вы", "Vexa Code"}));
        QCOMPARE(column(model->conversation(), "text"), (QStringList{"Что делает main?", "Готово"}));
        QCOMPARE(m_service->requests("/api/chat").size(), 1);
        QVERIFY(canSend.count() >= 3);
    }

    void leavingSavesSilently()
    {
        m_client->signInAs(5);
        auto model = makeViewModel();
        model->setShown(true);
        model->store()->createProject(QStringLiteral("P"));
        model->store()->createFile(QStringLiteral("a.txt"));
        const QString path = *model->store()->projectFolder() + QStringLiteral("/a.txt");

        model->store()->setEditorText(QStringLiteral("hidden"));
        model->setShown(false);
        QCOMPARE(readBytes(path), std::optional<QByteArray>("hidden"));
        QVERIFY(!model->store()->hasNotice());

        model->setShown(true);
        model->store()->setEditorText(QStringLiteral("closed"));
        model.reset();
        QCOMPARE(readBytes(path), std::optional<QByteArray>("closed"));
    }

    // Answers and questions are shown as rich text made from escaped text: nothing in them
    // (a file's HTML echoed back, say) becomes markup; every line break shows; code stays.
    void conversationMarkup_data()
    {
        QTest::addColumn<bool>("isUser");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("contains");
        QTest::addColumn<QStringList>("absent");

        QTest::newRow("HTML in an answer")
            << false << QStringLiteral("Файл содержит <img src=x onerror=alert(1)> и <b>жирный</b>")
            << QStringList{"&lt;img src=x onerror=alert(1)&gt;", "&lt;b&gt;жирный&lt;/b&gt;"}
            << QStringList{"<img", "<b>жирный"};
        QTest::newRow("HTML in a code block")
            << false << QStringLiteral("Код:\n\n```html\n<script>x()</script>\n```")
            << QStringList{"Код:", "<script>x()</script>"} << QStringList{"&lt;script"};
        QTest::newRow("Markdown link to a script keeps only its text")
            << false << QStringLiteral("[жми](javascript:alert(1))") << QStringList{"жми"}
            << QStringList{"javascript", "<a"};
        QTest::newRow("single line breaks of an answer")
            << false << QStringLiteral("Шаг 1\nШаг 2") << QStringList{"Шаг 1<br>Шаг 2"} << QStringList{};
        QTest::newRow("the user's words as typed")
            << true << QStringLiteral("<i>мой</i>\nвопрос") << QStringList{"&lt;i&gt;мой&lt;/i&gt;<br>вопрос"}
            << QStringList{"<i>"};
        QTest::newRow("no copy link where nothing handles it")
            << false << QStringLiteral("```\nx\n```") << QStringList{"x"} << QStringList{"#copy-"};
    }

    void conversationMarkup()
    {
        QFETCH(bool, isUser);
        QFETCH(QString, text);
        QFETCH(QStringList, contains);
        QFETCH(QStringList, absent);
        CodeConversationModel model;
        model.setEntries({ChatEntry::make(isUser ? ChatEntry::Role::User : ChatEntry::Role::Assistant, text)});
        QString html = model.data(model.index(0), CodeConversationModel::HtmlRole).toString();
        // An answer is shown by its blocks: what they display, code included.
        if (auto *blocks = qobject_cast<answer::AnswerModel *>(
                model.data(model.index(0), CodeConversationModel::BlocksRole).value<QObject *>())) {
            QVERIFY(!isUser);
            QVERIFY(waitUntil([&] { return blocks->ready(); }));
            for (int row = 0; row < blocks->rowCount(); ++row)
                html += blocks->data(blocks->index(row), answer::AnswerModel::HtmlRole).toString()
                    + blocks->data(blocks->index(row), answer::AnswerModel::CodeRole).toString();
        } else {
            QVERIFY(isUser);
        }
        for (const QString &part : contains)
            QVERIFY2(html.contains(part), qPrintable(html));
        for (const QString &part : absent)
            QVERIFY2(!html.contains(part), qPrintable(html));
        QCOMPARE(model.data(model.index(0), CodeConversationModel::TextRole).toString(), text);
    }

    void viewOffscreen()
    {
        const CodeProject project = [] {
            CodeProject p = projectAt(QStringLiteral("Демо"), at(1));
            p.messages.append(ChatEntry::make(ChatEntry::Role::User, QStringLiteral("Привет")));
            p.messages.append(ChatEntry::make(ChatEntry::Role::Assistant,
                                              QStringLiteral("Так:\n\n```python\nprint(1)\n```")));
            return p;
        }();
        QVERIFY(putProject(dataRoot(), 7, project));
        const QString file = projectFolder(dataRoot(), 7, project.id) + QStringLiteral("/main.py");
        QVERIFY(putFile(file, "a = 1\r\nb = 2\r\n"));

        QQuickView view;
        view.engine()->addImportPath(QStringLiteral("qrc:/qt/qml"));
        view.setResizeMode(QQuickView::SizeRootObjectToView);
        view.resize(1100, 700);
        QList<QQmlError> warnings;
        connect(view.engine(), &QQmlEngine::warnings, this,
                [&](const QList<QQmlError> &w) { warnings.append(w); });
        view.setInitialProperties({{QStringLiteral("client"), QVariant::fromValue<VexaClient *>(m_client.get())}});
        view.setSource(QUrl(QStringLiteral("qrc:/qt/qml/VexaAI/Code/CodeWorkspaceView.qml")));
        QCOMPARE(view.status(), QQuickView::Ready);
        QQuickItem *root = view.rootObject();
        auto *model = root->property("viewModel").value<CodeWorkspaceViewModel *>();
        QVERIFY(model);
        QCOMPARE(model->client(), m_client.get());
        QVERIFY(model->shown());
        model->setDataRoot(dataRoot());
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view, vexa::test::scaledMs(5000)));

        auto find = [&](const char *name) { return root->findChild<QQuickItem *>(QLatin1String(name)); };
        QVERIFY(find("noProjectState")->isVisible());
        QVERIFY(!find("importButton")->isEnabled());
        QVERIFY(!find("newFileButton")->isEnabled());

        m_client->signInAs(7);
        QVERIFY(!find("noProjectState")->isVisible());
        QCOMPARE(find("projectTitle")->property("text").toString(), QStringLiteral("Демо"));
        QVERIFY(find("importButton")->isEnabled());
        QVERIFY(find("noFileState")->isVisible());
        QVERIFY(!find("saveFileButton")->isVisible());
        QCOMPARE(find("conversation")->property("count").toInt(), 2);
        // No file open: an answer's code panel offers only copying.
        QVERIFY(waitUntil([&] { return findVisual(root, QStringLiteral("copyCode")) != nullptr; }));
        QVERIFY(!findVisual(root, QStringLiteral("insertCode"))->isVisible());

        // Clicking the file's row in the sidebar opens it.
        QQuickItem *row = nullptr;
        QMetaObject::invokeMethod(find("fileList"), "itemAtIndex", Q_RETURN_ARG(QQuickItem *, row),
                                  Q_ARG(int, 0));
        QVERIFY(row);
        QTest::mouseClick(&view, Qt::LeftButton, {},
                          row->mapToScene(QPointF(row->width() / 2, row->height() / 2)).toPoint());
        QCOMPARE(model->store()->selectedFile(), std::optional<QString>("main.py"));
        QQuickItem *editor = find("editor");
        QVERIFY(editor->isVisible());
        QVERIFY(find("saveFileButton")->isVisible());
        // Showing the file does not rewrite it; the editor works with "\n" line ends.
        QCOMPARE(model->store()->editorText(), QStringLiteral("a = 1\nb = 2\n"));
        model->setShown(false);
        model->setShown(true);
        QCOMPARE(readBytes(file), std::optional<QByteArray>("a = 1\r\nb = 2\r\n"));

        // Typing reaches the store; Ctrl+S saves and the "Vexa Code" alert says so.
        editor->forceActiveFocus();
        QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
        for (const char c : QByteArray("c = 3"))
            QTest::keyClick(&view, c);
        QVERIFY(model->store()->editorText().endsWith(QStringLiteral("c = 3")));
        // Unsaved: a mark by the name; the status line gives the place, unit, endings, encoding.
        QObject *caption = root->findChild<QObject *>(QStringLiteral("fileCaption"));
        QObject *status = root->findChild<QObject *>(QStringLiteral("editorStatus"));
        QCOMPARE(caption->property("text").toString(), QStringLiteral("● main.py"));
        QCOMPARE(status->property("text").toString(),
                 QStringLiteral("3:6  ·  Пробелы: 4  ·  CRLF  ·  UTF-8"));
        QTest::keyClick(&view, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(caption->property("text").toString(), QStringLiteral("main.py"));
        // Saved with the file's own line endings: only the typed line is new.
        QCOMPARE(readBytes(file), std::optional<QByteArray>("a = 1\r\nb = 2\r\nc = 3"));
        QCOMPARE(model->store()->noticeText(), QStringLiteral("Файл сохранён локально."));
        QObject *notice = root->findChild<QObject *>(QStringLiteral("noticeDialog"));
        QVERIFY(waitUntil([&] { return notice->property("opened").toBool(); }));
        QCOMPARE(notice->property("title").toString(), QStringLiteral("Vexa Code"));
        QMetaObject::invokeMethod(notice, "close");
        QVERIFY(waitUntil([&] { return !model->store()->hasNotice(); }));

        // The editor's keys: Enter after a Python ':' adds a level, Tab inserts the unit and
        // stays in the editor, Ctrl+/ comments the line as one undo step, Esc then Tab leaves.
        editor->forceActiveFocus();
        QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(&view, Qt::Key_Return);
        for (const char c : QByteArray("if x:"))
            QTest::keyClick(&view, c);
        QTest::keyClick(&view, Qt::Key_Return);
        QCOMPARE(model->store()->editorText(), QStringLiteral("a = 1\nb = 2\nc = 3\nif x:\n    "));
        QTest::keyClick(&view, Qt::Key_Tab);
        QVERIFY(editor->hasActiveFocus());
        QVERIFY(model->store()->editorText().endsWith(QStringLiteral("if x:\n        ")));
        QTest::keyClick(&view, Qt::Key_Up);
        // The window's own Ctrl+/ (the app's shortcuts sheet) does not take the key from the
        // editor; outside the editor it does.
        QQmlComponent sheetKey(view.engine());
        sheetKey.setData("import QtQuick\nShortcut { sequence: \"Ctrl+/\"; context: Qt.WindowShortcut;"
                         " property int fired: 0; onActivated: fired++ }", QUrl());
        std::unique_ptr<QObject> windowShortcut(sheetKey.beginCreate(view.engine()->rootContext()));
        QVERIFY2(windowShortcut, qPrintable(sheetKey.errorString()));
        windowShortcut->setParent(root);
        sheetKey.completeCreate();
        QTest::keyClick(&view, Qt::Key_Slash, Qt::ControlModifier);
        QVERIFY(model->store()->editorText().endsWith(QStringLiteral("# if x:\n        ")));
        QCOMPARE(windowShortcut->property("fired").toInt(), 0);
        QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(model->store()->editorText().endsWith(QStringLiteral("c = 3\nif x:\n        ")));
        QTest::keyClick(&view, Qt::Key_Escape);
        QTest::keyClick(&view, Qt::Key_Tab);
        QVERIFY(!editor->hasActiveFocus());
        QVERIFY(model->store()->editorText().endsWith(QStringLiteral("if x:\n        ")));
        QTest::keyClick(&view, Qt::Key_Slash, Qt::ControlModifier);
        QCOMPARE(windowShortcut->property("fired").toInt(), 1);
        windowShortcut.reset();

        // Ctrl+F finds ("N из M"), Enter steps, Ctrl+H replaces all as one undo step, Esc
        // closes and gives the text its focus back, Ctrl+G goes to a line.
        const QString before = model->store()->editorText();
        editor->forceActiveFocus();
        QTest::keyClick(&view, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(&view, Qt::Key_F, Qt::ControlModifier);
        QQuickItem *findField = find("findField");
        QVERIFY(findField->hasActiveFocus());
        QTest::keyClick(&view, '=');
        QObject *summary = root->findChild<QObject *>(QStringLiteral("findSummary"));
        QVERIFY(waitUntil([&] { return summary->property("text").toString() == QStringLiteral("3"); }));
        // Every control of the bar lies within it, whatever the pane's width (once laid out).
        const auto outsideTheBar = [&] {
            QQuickItem *bar = find("findBar");
            const QRectF barArea = bar->mapRectToScene(bar->boundingRect());
            for (QQuickItem *control : qobject_cast<QQuickItem *>(summary)->parentItem()->childItems()) {
                const QRectF area = control->mapRectToScene(control->boundingRect());
                const bool inside = area.left() >= barArea.left() - 0.5 && area.right() <= barArea.right() + 0.5
                    && area.top() >= barArea.top() - 0.5 && area.bottom() <= barArea.bottom() + 0.5;
                if (control->isVisible() && !inside)
                    return QDebug::toString(area) + QLatin1String(" outside ") + QDebug::toString(barArea);
            }
            return QString();
        };
        QVERIFY2(waitUntil([&] { return outsideTheBar().isEmpty(); }), qPrintable(outsideTheBar()));
        QTest::keyClick(&view, Qt::Key_Return);
        QTest::keyClick(&view, Qt::Key_Return);
        QCOMPARE(summary->property("text").toString(), QStringLiteral("2 из 3"));
        QCOMPARE(editor->property("selectionStart").toInt(), 8);
        QTest::keyClick(&view, Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(summary->property("text").toString(), QStringLiteral("1 из 3"));
        QTest::keyClick(&view, Qt::Key_H, Qt::ControlModifier);
        QVERIFY(find("replaceField")->isVisible());
        find("replaceField")->forceActiveFocus();
        for (const char c : QByteArray(":="))
            QTest::keyClick(&view, c);
        QMetaObject::invokeMethod(find("replaceAllButton"), "clicked");
        QCOMPARE(model->store()->editorText().count(QStringLiteral(":=")), 3);
        QTest::keyClick(&view, Qt::Key_Escape);
        QVERIFY(!find("findBar")->isVisible());
        QVERIFY(editor->hasActiveFocus());
        QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(model->store()->editorText(), before);
        QTest::keyClick(&view, Qt::Key_G, Qt::ControlModifier);
        QVERIFY(find("lineField")->hasActiveFocus());
        QTest::keyClick(&view, '3');
        QTest::keyClick(&view, Qt::Key_Return);
        QVERIFY(editor->hasActiveFocus());
        QCOMPARE(editor->property("cursorPosition").toInt(), 12);
        QCOMPARE(status->property("text").toString().section(QLatin1Char(' '), 0, 0), QStringLiteral("3:1"));

        // Saving keeps the undo history: Ctrl+Z after Ctrl+S still takes back the last edit,
        // and the file is marked unsaved again.
        QTest::keyClick(&view, Qt::Key_End);
        QTest::keyClick(&view, 'x');
        QTest::keyClick(&view, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!model->store()->modified());
        QVERIFY(waitUntil([&] { return notice->property("opened").toBool(); }));
        QMetaObject::invokeMethod(notice, "close");
        QVERIFY(waitUntil([&] { return !model->store()->hasNotice(); }));
        editor->forceActiveFocus();
        QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(model->store()->editorText(), before);
        QVERIFY(model->store()->modified());
        QCOMPARE(caption->property("text").toString(), QStringLiteral("● main.py"));

        // "Вставить в файл": the answer's code at the cursor, the focus in the text, and one
        // Ctrl+Z takes it back.
        QQuickItem *insert = findVisual(root, QStringLiteral("insertCode"));
        QVERIFY(insert->isVisible());
        const QString beforeInsert = model->store()->editorText();
        editor->setProperty("cursorPosition", 0);
        QMetaObject::invokeMethod(insert, "press");
        QCOMPARE(model->store()->editorText(), QStringLiteral("print(1)") + beforeInsert);
        QVERIFY(editor->hasActiveFocus());
        QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(model->store()->editorText(), beforeInsert);

        for (const QQmlError &warning : warnings)
            qWarning() << warning.toString();
        QVERIFY(warnings.isEmpty());
    }
};

QTEST_MAIN(TestCodeWorkspace)
#include "tst_codeworkspace.moc"
