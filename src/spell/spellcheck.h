#pragma once

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QQuickTextDocument>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

class QTextDocument;

namespace vexa::spell {

class SpellChecker;
class SpellHighlighter;

// Underlines the misspelled words of a TextEdit or TextArea as the user types (in the underline
// colour, the word too: Qt Quick draws a straight underline in the text's colour and no wavy one):
//     SpellCheck { document: area.textDocument; underlineColor: VexaTheme.error }
// Lookups go to the shared SpellChecker's worker; the text is only read here, never changed
// except by replace(). The menu of a word (SpellingMenu) asks misspelledAt() for the word under
// the pointer or cursor, then suggestions, and replaces, adds or skips it through this object.
class SpellCheck : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QQuickTextDocument *document READ document WRITE setDocument NOTIFY documentChanged)
    // The field's own choice (a field for code or a password turns it off).
    Q_PROPERTY(bool enabled READ enabled WRITE setEnabled NOTIFY activeChanged)
    Q_PROPERTY(QColor underlineColor READ underlineColor WRITE setUnderlineColor NOTIFY underlineColorChanged)
    // Whether words are underlined: the field's choice, the user's "Проверять орфографию" and at
    // least one dictionary.
    Q_PROPERTY(bool active READ active NOTIFY activeChanged)
    // The text cursor: the word it ends is still being typed and is not underlined yet.
    Q_PROPERTY(int cursorPosition READ cursorPosition WRITE setCursorPosition NOTIFY cursorPositionChanged)

public:
    // The text format property that marks a misspelled word's format.
    static int misspelledProperty();

    explicit SpellCheck(QObject *parent = nullptr);
    ~SpellCheck() override;

    QQuickTextDocument *document() const { return m_document; }
    void setDocument(QQuickTextDocument *document);
    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    QColor underlineColor() const { return m_color; }
    void setUnderlineColor(const QColor &color);
    bool active() const;
    int cursorPosition() const { return m_cursorPosition; }
    void setCursorPosition(int position);

    // For C++ users (tests): another checker than the app's, a document without a QML item.
    void setChecker(SpellChecker *checker);
    void setTextDocument(QTextDocument *document);
    SpellChecker *checker() const;

    // The misspelled word at a text position (the cursor just after a word counts):
    // {start, length, word}, or an empty map.
    Q_INVOKABLE QVariantMap misspelledAt(int position) const;
    // Announced by suggestionsReady (up to five, best first).
    Q_INVOKABLE void requestSuggestions(const QString &word);
    // Replaces the word at start (when it is still there) as one step of undo.
    Q_INVOKABLE bool replace(int start, const QString &word, const QString &replacement);
    Q_INVOKABLE void addToDictionary(const QString &word);
    Q_INVOKABLE void ignore(const QString &word);

Q_SIGNALS:
    void documentChanged();
    void activeChanged();
    void underlineColorChanged();
    void cursorPositionChanged();
    void suggestionsReady(const QString &word, const QStringList &suggestions);

private:
    void attach(QTextDocument *document);
    void connectChecker();
    void refresh();

    QPointer<QQuickTextDocument> m_document;
    QPointer<QTextDocument> m_textDocument;
    QPointer<SpellHighlighter> m_highlighter;
    QPointer<SpellChecker> m_checker;
    QList<QMetaObject::Connection> m_checkerConnections;
    QMetaObject::Connection m_documentConnection;
    QString m_requested;
    QColor m_color = Qt::red;
    int m_cursorPosition = -1;
    bool m_enabled = true;
    bool m_wasActive = false;
};

} // namespace vexa::spell
