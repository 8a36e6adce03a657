#pragma once

#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QTextDocument>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <chrono>

class QTextDocument;

namespace vexa::code {

struct FindOptions {
    QString query;
    bool caseSensitive = false;
    bool wholeWords = false;
    bool regularExpression = false;
};

struct FindMatch {
    int start = 0;
    int length = 0;
    friend bool operator==(const FindMatch &, const FindMatch &) = default;
};

struct FindResult {
    QList<FindMatch> matches;
    QString error;          // the expression's fault, for people; "" when it is valid
    bool complete = true;   // false: the time budget ran out (the matches found so far)
};

// Every match of `options` in `text`, in order, none empty; stops when `budget` has passed.
// Safe on any thread.
FindResult findAll(const QString &text, const FindOptions &options,
                   std::chrono::milliseconds budget = std::chrono::milliseconds(500));

// The replacement text of one match: with a regular expression, "$1".."$9" and "$0" stand for
// its groups and "$$" for "$"; otherwise `replacement` as it is.
QString expandReplacement(const QString &matched, const FindOptions &options,
                          const QString &replacement);

// The editor's find and replace. The search runs on a worker thread over a copy of the text,
// again after each change of the query, its options or the text; a later search makes an
// earlier one's result stale, and it is dropped:
//     CodeFind { id: find; document: editor.document; query: field.text }
class CodeFind : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QTextDocument *document READ document WRITE setTextDocument NOTIFY documentChanged)
    Q_PROPERTY(QString query READ query WRITE setQuery NOTIFY optionsChanged)
    Q_PROPERTY(bool caseSensitive READ caseSensitive WRITE setCaseSensitive NOTIFY optionsChanged)
    Q_PROPERTY(bool wholeWords READ wholeWords WRITE setWholeWords NOTIFY optionsChanged)
    Q_PROPERTY(bool regularExpression READ regularExpression WRITE setRegularExpression NOTIFY optionsChanged)
    Q_PROPERTY(int count READ count NOTIFY resultsChanged)
    // The match the editor is on (0-based), -1 when none.
    Q_PROPERTY(int current READ current NOTIFY resultsChanged)
    Q_PROPERTY(QString error READ error NOTIFY resultsChanged)
    Q_PROPERTY(bool busy READ busy NOTIFY resultsChanged)
    Q_PROPERTY(bool complete READ complete NOTIFY resultsChanged)
    // "N из M", "Нет совпадений", the expression's error; "" with no query.
    Q_PROPERTY(QString summary READ summary NOTIFY resultsChanged)

public:
    explicit CodeFind(QObject *parent = nullptr);
    ~CodeFind() override;

    QTextDocument *document() const { return m_textDocument; }
    void setTextDocument(QTextDocument *document);
    QString query() const { return m_options.query; }
    void setQuery(const QString &query);
    bool caseSensitive() const { return m_options.caseSensitive; }
    void setCaseSensitive(bool on);
    bool wholeWords() const { return m_options.wholeWords; }
    void setWholeWords(bool on);
    bool regularExpression() const { return m_options.regularExpression; }
    void setRegularExpression(bool on);
    int count() const { return int(m_result.matches.size()); }
    int current() const { return m_current; }
    QString error() const { return m_result.error; }
    bool busy() const { return m_busy; }
    bool complete() const { return m_result.complete; }
    QString summary() const;
    void setBudget(std::chrono::milliseconds budget) { m_budget = budget; }

    // The first match after `position` (wrapping round), or before it; its range as x..y, or
    // (-1, -1) when there is none. Makes it the current match.
    Q_INVOKABLE QPoint next(int position);
    Q_INVOKABLE QPoint previous(int position);
    // Replaces the selection when it is exactly a match; gives the next match's range after it
    // (or the cursor as x == y when none is left).
    Q_INVOKABLE QPoint replace(int selectionStart, int selectionEnd, const QString &replacement);
    // Replaces every match as one undo step; gives how many.
    Q_INVOKABLE int replaceAll(const QString &replacement);

Q_SIGNALS:
    void documentChanged();
    void optionsChanged();
    void resultsChanged();

private:
    void schedule();
    void start();
    const FindMatch *matchAt(int start, int end) const;

    QPointer<QTextDocument> m_textDocument;
    QMetaObject::Connection m_contents;
    FindOptions m_options;
    FindResult m_result;
    std::chrono::milliseconds m_budget{500};
    quint64 m_generation = 0;
    QString m_text; // what the last search looked at
    int m_current = -1;
    bool m_busy = false;
    bool m_scheduled = false;
};

} // namespace vexa::code
