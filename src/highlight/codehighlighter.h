#pragma once

#include "highlight.h"

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QQmlParserStatus>
#include <QQuickTextDocument>
#include <QtQml/qqmlregistration.h>

#include <array>
#include <atomic>
#include <memory>

class QTextDocument;

namespace vexa::highlight {

class DocumentHighlighter;

// Colours a TextEdit's text as code:
//     CodeHighlighter { document: edit.textDocument; language: "python" }
// The text is read on the main thread and tokenized on one worker thread; the runs come back and
// are drawn as formats of the document (its text is never touched). A text over the budget is
// left plain at once; a run cut short by the time budget colours the lines it reached. Changing
// the language or the text colours it again; an unknown language is plain. Colours are the
// theme's (VexaTheme's code* properties) by role.
class CodeHighlighter : public QObject, public QQmlParserStatus {
    Q_OBJECT
    Q_INTERFACES(QQmlParserStatus)
    QML_ELEMENT
    Q_PROPERTY(QQuickTextDocument *document READ document WRITE setDocument NOTIFY documentChanged)
    Q_PROPERTY(QString language READ language WRITE setLanguage NOTIFY languageChanged)
    // The language's name for people ("Python"), "" when it is not one that is coloured.
    Q_PROPERTY(QString languageName READ languageName NOTIFY languageChanged)
    // True from a change of the text or language until its colours are in.
    Q_PROPERTY(bool busy READ busy NOTIFY busyChanged)
    // Whether the colours shown cover the whole text (false: over the budget, partly or all plain).
    Q_PROPERTY(bool complete READ complete NOTIFY busyChanged)

public:
    explicit CodeHighlighter(QObject *parent = nullptr);
    ~CodeHighlighter() override;

    QQuickTextDocument *document() const { return m_document; }
    void setDocument(QQuickTextDocument *document);
    QString language() const { return m_language; }
    void setLanguage(const QString &language);
    QString languageName() const;
    bool busy() const { return m_busy; }
    bool complete() const { return m_complete; }

    // For C++ users (tests, the editor): a text document without a QML item, and the budget.
    void setTextDocument(QTextDocument *document);
    void setBudget(Budget budget) { m_budget = budget; }
    // The colour used for a role; from the theme once the object is in a QML engine.
    QColor colorFor(Role role) const { return m_colors[size_t(role)]; }

    void classBegin() override {}
    void componentComplete() override;

Q_SIGNALS:
    void documentChanged();
    void languageChanged();
    void busyChanged();

private:
    void attach(QTextDocument *document);
    void schedule();
    void start();
    void finish(quint64 generation, Result result);
    void applySlice(quint64 generation, int first, bool complete);
    void setBusy(bool busy, bool complete);
    void readThemeColors();

    QPointer<QQuickTextDocument> m_document;
    QPointer<QTextDocument> m_textDocument;
    QPointer<DocumentHighlighter> m_highlighter;
    QString m_language;
    Budget m_budget;
    bool m_busy = false;
    bool m_complete = true;
    bool m_scheduled = false;
    bool m_applying = false;
    bool m_hasFormats = false;
    // Shared with the worker's tasks: a task whose generation is no longer current is dropped
    // before it starts.
    std::shared_ptr<std::atomic<quint64>> m_generation;
    std::array<QColor, size_t(Role::Escape) + 1> m_colors; // detail::RoleColors
};

} // namespace vexa::highlight
