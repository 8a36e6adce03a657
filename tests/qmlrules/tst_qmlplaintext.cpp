// Every text of the app's QML that is not the app's own constant (service data, file content,
// anything passed in) is shown as plain text: Text and Label say Text.PlainText, controls whose
// style would show it through an automatic-format label bring a plain contentItem, combo boxes
// over such lists a plain delegate. Only the answer renderer's documents show rich text (made and
// escaped in C++). The first test checks the rules on small documents, the second the app.

#include "plaintextrules.h"
#include "sourcetexts.h"

#include <QTest>

using namespace vexa::test;

namespace {

// Properties of the app's components that carry only the app's own texts; every use is checked
// to bind a constant, so the component may show them through the style's labels.
const QList<ConstantProperty> kConstantProperties = {
    // An icon button's name, also its tool tip (the attached tool tip cannot be made plain).
    {QStringLiteral("IconButton"), QStringLiteral("label")},
    {QStringLiteral("IconButton"), QStringLiteral("title")}, // the label when none is given
    {QStringLiteral("CodeIconButton"), QStringLiteral("help")},
    // The attachment chip's remove button's name, passed on to IconButton.label.
    {QStringLiteral("AttachmentChip"), QStringLiteral("removeLabel")},
    // Field placeholders, drawn by the style's placeholder text.
    {QStringLiteral("GrowingTextArea"), QStringLiteral("placeholderText")},
    {QStringLiteral("CodeNameDialog"), QStringLiteral("placeholder")},
};

// Bindings to texts the app makes in C++ from its own constants, shown through a style's label.
const QList<ConstantBinding> kConstantBindings = {
    // The chat's fixed quick prompts (ChatViewModel::quickPrompts).
    {QStringLiteral("src/chat/qml/WelcomePanel.qml"), QStringLiteral("text"), QStringLiteral("modelData")},
    // "Вступить" or "Выйти из группы" (CommunityDetailViewModel::membershipLabel).
    {QStringLiteral("src/screens/content/qml/CommunityDetailView.qml"), QStringLiteral("text"),
     QStringLiteral("vm.membershipLabel")},
    // A heart and the count of likes (community::likesText).
    {QStringLiteral("src/screens/content/qml/CommunityPostCard.qml"), QStringLiteral("text"),
     QStringLiteral("card.likes")},
    // The platform's name of the cloud recognition switch (PlatformTexts).
    {QStringLiteral("src/screens/account/qml/ProfileVoiceCard.qml"), QStringLiteral("text"),
     QStringLiteral("card.viewModel.cloudRecognitionSwitch")},
};

// The documents that show the answer renderer's output: rich text made from Markdown and escaped
// by the chat's and the code assistant's models.
const QStringList kRendererFiles = {
    QStringLiteral("src/chat/qml/TextBubble.qml"),       // the message text (SelectableText)
    QStringLiteral("src/chat/qml/MessageSelection.qml"), // the same text, selectable
    QStringLiteral("src/code/CodeMessage.qml"),          // the code assistant's messages
    // An answer's blocks: display text the renderer made from escaped pieces (answerblocks.h).
    QStringLiteral("src/chat/answer/qml/ProseBlock.qml"),
    QStringLiteral("src/chat/answer/qml/HeadingBlock.qml"),
    QStringLiteral("src/chat/answer/qml/ListBlock.qml"),
    QStringLiteral("src/chat/answer/qml/TableBlock.qml"),
    QStringLiteral("src/chat/answer/qml/PictureBlock.qml"),
    // Code coloured as styled text, every character of it escaped (styledCode, rolestyle.h).
    QStringLiteral("src/chat/answer/qml/CodeBlock.qml"),
};

QList<TextFinding> scan(const QList<std::pair<QString, QString>> &files,
                        const QList<ConstantProperty> &constants = {}, const QStringList &renderer = {})
{
    std::vector<std::unique_ptr<QmlDocument>> documents;
    QList<const QmlDocument *> pointers;
    for (const auto &[file, code] : files) {
        documents.push_back(parseQml(file, code));
        pointers.append(documents.back().get());
    }
    return PlainTextRules(pointers, constants, renderer).findings();
}

} // namespace

class QmlPlainTextTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rules_data()
    {
        QTest::addColumn<QString>("document");
        QTest::addColumn<int>("findings");

        QTest::newRow("a literal") << qmlProbe(QStringLiteral("Label { text: \"Готово\" }")) << 0;
        QTest::newRow("literals joined or chosen")
            << qmlProbe(QStringLiteral("Label { text: busy ? \"Ищем…\" : \"Найти\" + \" сейчас\" }")) << 0;
        QTest::newRow("a model's text, automatic") << qmlProbe(QStringLiteral("Text { text: model.emoji }")) << 1;
        QTest::newRow("a model's text, plain")
            << qmlProbe(QStringLiteral("Label { text: model.name; textFormat: Text.PlainText }")) << 0;
        QTest::newRow("a model's text, styled")
            << qmlProbe(QStringLiteral("Text { text: model.name; textFormat: Text.StyledText }")) << 1;
        QTest::newRow("a text edit is plain unless told")
            << qmlProbe(QStringLiteral("TextEdit { text: model.name }")) << 0;
        QTest::newRow("a rich text edit") << qmlProbe(QStringLiteral("TextEdit { text: model.name; textFormat: TextEdit.RichText }")) << 1;
        QTest::newRow("a JavaScript block") << qmlProbe(QStringLiteral("Label { text: { return \"a\" } }")) << 1;
        QTest::newRow("a button's data text")
            << qmlProbe(QStringLiteral("Button { text: modelData.title }")) << 1;
        QTest::newRow("a menu entry with a plain label")
            << qmlProbe(QStringLiteral("MenuItem { id: i; text: modelData.title\n"
                                  "  contentItem: Text { text: i.text; textFormat: Text.PlainText } }")) << 0;
        QTest::newRow("a menu entry whose own label is automatic")
            << qmlProbe(QStringLiteral("MenuItem { id: i; text: modelData.title\n  contentItem: Text { text: i.text } }")) << 1;
        QTest::newRow("a tool tip of data")
            << qmlProbe(QStringLiteral("Item { ToolTip.text: model.hint }")) << 1;
        QTest::newRow("a dialog titled with data")
            << qmlProbe(QStringLiteral("Dialog { title: \"Удалить «\" + name + \"»?\" }")) << 1;
        QTest::newRow("a combo box over data")
            << qmlProbe(QStringLiteral("ComboBox { model: viewModel.actions; textRole: \"title\" }")) << 1;
        QTest::newRow("a combo box over literals")
            << qmlProbe(QStringLiteral("ComboBox { model: [\"ru-RU\", \"en-US\"] }")) << 0;
        QTest::newRow("a combo box with its own delegate")
            << qmlProbe(QStringLiteral("ComboBox { model: viewModel.actions\n"
                                  "  delegate: ItemDelegate { required property string title; text: title\n"
                                  "    contentItem: Label { text: parent.text; textFormat: Text.PlainText } } }")) << 0;
        QTest::newRow("nested in a delegate")
            << qmlProbe(QStringLiteral("Column { Repeater { model: m; delegate: Row { Label { text: modelData } } } }")) << 1;
        QTest::newRow("a property declared with data")
            << qmlProbe(QStringLiteral("Item { property string shown: x\n  Label { text: parent.shown } }")) << 1;
        QTest::newRow("not QML") << QStringLiteral("Item { text: }") << 1;
    }

    void rules()
    {
        QFETCH(QString, document);
        QFETCH(int, findings);
        const auto found = scan({{QStringLiteral("Probe.qml"), document}});
        QStringList lines;
        for (const TextFinding &finding : found)
            lines.append(finding.toString());
        QVERIFY2(found.size() == findings, qPrintable(lines.join(u'\n')));
    }

    // Components: a Label-rooted component shows a use's text in automatic format; a property
    // allowed only constants is checked at every use.
    void components()
    {
        const QString caption = qmlProbe(QStringLiteral("Label { id: c; color: \"grey\" }"));
        QCOMPARE(scan({{QStringLiteral("Caption.qml"), caption},
                       {QStringLiteral("Use.qml"), qmlProbe(QStringLiteral("Caption { text: story }"))}}).size(), 1);
        const QString plainCaption = qmlProbe(QStringLiteral("Label { textFormat: Text.PlainText }"));
        QCOMPARE(scan({{QStringLiteral("Caption.qml"), plainCaption},
                       {QStringLiteral("Use.qml"), qmlProbe(QStringLiteral("Caption { text: story }"))}}).size(), 0);

        const QString button = qmlProbe(QStringLiteral("Button { id: b; property string label\n  ToolTip.text: b.label }"));
        const QList<ConstantProperty> constants{{QStringLiteral("IconButton"), QStringLiteral("label")}};
        QCOMPARE(scan({{QStringLiteral("IconButton.qml"), button},
                       {QStringLiteral("Use.qml"), qmlProbe(QStringLiteral("IconButton { label: \"Удалить\" }"))}},
                      constants).size(), 0);
        const auto misuse = scan({{QStringLiteral("IconButton.qml"), button},
                                  {QStringLiteral("Use.qml"), qmlProbe(QStringLiteral("IconButton { label: model.name }"))}},
                                 constants);
        QCOMPARE(misuse.size(), 1);
        QCOMPARE(misuse.first().file, QStringLiteral("Use.qml"));
        // Without the allowance the component's own tool tip is the finding.
        QCOMPARE(scan({{QStringLiteral("IconButton.qml"), button}}).size(), 1);
        // Rich text only where the renderer's output is shown.
        const QString rich = qmlProbe(QStringLiteral("Text { text: model.html; textFormat: Text.RichText }"));
        QCOMPARE(scan({{QStringLiteral("Bubble.qml"), rich}}, {}, {QStringLiteral("Bubble.qml")}).size(), 0);
        QCOMPARE(scan({{QStringLiteral("Other.qml"), rich}}, {}, {QStringLiteral("Bubble.qml")}).size(), 1);
    }

    void appTextsArePlain()
    {
        const QStringList files = appSources({QStringLiteral(".qml")});
        QVERIFY(files.size() > 100);
        std::vector<std::unique_ptr<QmlDocument>> documents;
        QList<const QmlDocument *> pointers;
        for (const QString &file : files) {
            documents.push_back(parseQml(file, readSource(file)));
            pointers.append(documents.back().get());
        }
        const auto found = PlainTextRules(pointers, kConstantProperties, kRendererFiles, kConstantBindings).findings();
        for (const TextFinding &finding : found)
            qWarning().noquote() << finding.toString();
        QVERIFY2(found.isEmpty(), qPrintable(QStringLiteral("%1 findings, listed above").arg(found.size())));
        for (const QString &file : kRendererFiles)
            QVERIFY2(files.contains(file), qPrintable(file + QStringLiteral(" is gone; drop it from the list")));
    }
};

QTEST_GUILESS_MAIN(QmlPlainTextTest)
#include "tst_qmlplaintext.moc"
