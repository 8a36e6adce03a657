#pragma once

#include "highlight.h"
#include "rolestyle.h"

#include <QObject>
#include <QPointer>
#include <QQmlParserStatus>
#include <QTextBlock>
#include <QTextDocument>
#include <QtQml/qqmlregistration.h>

#include <map>


namespace vexa::highlight {

// Colours an editor's text as code and keeps the colours as the text is edited:
//     EditorHighlighter { document: editor.document; language: "python" }
// Each line remembers the tokenizer's state at its end (its block's user state; -1: not coloured
// yet). An edit colours again the lines it touched, then the lines after them only while their
// starting state differs from before (an opened string or comment runs on; a typed letter stops
// at its own line). A text that was just set is coloured from its start in pieces. All the
// tokenizing is on a worker thread, one piece at a time; the main thread hands out the lines'
// text and puts the returned runs on the lines whose colours changed. A piece's result is dropped
// when the text changed meanwhile (the edit's own lines are queued again).
class EditorHighlighter : public QObject, public QQmlParserStatus {
    Q_OBJECT
    Q_INTERFACES(QQmlParserStatus)
    QML_ELEMENT
    Q_PROPERTY(QTextDocument *document READ document WRITE setDocument NOTIFY documentChanged)
    Q_PROPERTY(QString language READ language WRITE setLanguage NOTIFY languageChanged)
    // True while lines wait for their colours.
    Q_PROPERTY(bool busy READ busy NOTIFY busyChanged)

public:
    explicit EditorHighlighter(QObject *parent = nullptr);
    ~EditorHighlighter() override;

    QTextDocument *document() const { return m_textDocument; }
    void setDocument(QTextDocument *document);
    QString language() const { return m_language; }
    void setLanguage(const QString &language);
    bool busy() const { return m_running || m_scheduled; }

    // For C++ users (tests, benchmarks): a document without a QML item; the budget of a piece
    // (its time and the longest line coloured).
    void setTextDocument(QTextDocument *document);
    void setBudget(Budget budget) { m_budget = budget; }
    // How many lines went to the tokenizer so far (tests: an edit colours few lines again).
    qint64 linesTokenized() const { return m_linesTokenized; }

    void classBegin() override {}
    void componentComplete() override;

Q_SIGNALS:
    void documentChanged();
    void languageChanged();
    void busyChanged();

private:
    struct Piece;
    void attach(QTextDocument *document);
    void restart();
    void contentsChanged(int position, int removed, int added);
    void schedule();
    void startPiece();
    void finishPiece(const Piece &piece, const LinesResult &result);
    void applySpans(const QTextBlock &block, const QList<Span> &spans);
    void setRunning(bool running);

    QPointer<QTextDocument> m_textDocument;
    QString m_language;
    QString m_canonical;
    Budget m_budget;
    detail::RoleColors m_colors;
    detail::RoleFormats m_formats;
    // Lines before this one are coloured from the text's start on.
    int m_sweep = 0;
    // First lines of edited stretches before m_sweep, to colour again, and how many lines past
    // the edited ones the next piece takes (it grows while the stretch runs on).
    std::map<int, int> m_edits;
    int m_blockCount = 1;
    // Counts the text's changes: a piece started before one is dropped.
    quint64 m_revision = 0;
    bool m_running = false;
    bool m_scheduled = false;
    qint64 m_linesTokenized = 0;
};

} // namespace vexa::highlight
