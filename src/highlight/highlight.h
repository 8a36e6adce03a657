#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <chrono>
#include <optional>

// Syntax colours for code: what kind of token each run of a code text is, by language. The runs
// come from GNU source-highlight's language definitions (Debian's, and the project's own in
// languages/ for the languages Debian's lack); drawing them (colours from the theme by role) is
// styledCode's and EditorHighlighter's job. Everything here is plain data and safe to call from any thread.
namespace vexa::highlight {

// What a run of code is, for its colour. Plain runs are never reported.
enum class Role : quint8 {
    Plain,
    Keyword,
    Type,
    String,
    Number,
    Comment,
    Preprocessor,
    Function,
    Operator,
    Tag,
    Attribute,
    Inserted,
    Removed,
    Heading,
    Emphasis,
    Link,
    Variable,
    Escape,
};

// One coloured run of a line: UTF-16 offsets from the line's start.
struct Span {
    int start = 0;
    int length = 0;
    Role role = Role::Plain;
    friend bool operator==(const Span &, const Span &) = default;
};

// How much one call may do. A text over maxChars or maxLines is not looked at (all plain, at
// once); a line over maxLineChars stays plain; once `time` has passed, the remaining lines stay
// plain. Any of these makes the result incomplete.
struct Budget {
    qsizetype maxChars = 512 * 1024;
    qsizetype maxLines = 20000;
    qsizetype maxLineChars = 2000;
    std::chrono::milliseconds time{250};
};

// The runs of each line of the text (lines split at '\n'; a '\r' before it belongs to its line),
// so lines.size() is the number of '\n' plus one, also for an unknown language (all empty).
// complete is false when the budget cut the work short or the language's definition failed.
struct Result {
    QList<QList<Span>> lines;
    bool complete = true;
};

// The language a code fence's info string names ("py", "Python", "python3", "{.python}",
// "language-python", "python title=x" → "python"), or "" when it is not one this module colours.
QString canonicalLanguage(const QString &fenceInfo);

// Its name for people ("python" or "py" → "Python", "cpp" → "C++"), or "" when unknown.
QString displayName(const QString &fenceInfo);

// The language of a file by its name (extension, or a whole name such as "Makefile",
// "Dockerfile", "CMakeLists.txt") or else by its first line's "#!" interpreter; "" when unknown
// (README and other text files: "markdown" for README and README.md, "" for README.txt).
QString languageForFile(const QString &fileName, QStringView firstLine = {});

// Every canonical language name this module colours, in a stable order.
QStringList languages();

// The runs of `code` in `language` (a canonical name or anything canonicalLanguage reads).
// Thread-safe: calls from several threads take turns on one lock (the library's highlighting
// state is not safe to share), so callers run it off the main thread. A language's definition
// is read on its first use.
Result highlight(const QString &language, const QString &code, Budget budget = {});

// The same for a caller that must not wait (the main thread laying out a short piece of code):
// nullopt at once when another thread has the library or the language's definition has not
// been read yet; then ask highlight() on a worker.
std::optional<Result> highlightIfReady(const QString &language, const QString &code, Budget budget);

// Colouring a text line by line, for an editor that colours again only the lines that changed:
// each line starts from a numbered tokenizer state (0: a text's start; others as returned in
// endStates, valid for the whole run of the program and the same language) and gives the state
// at its end, which starts the next line. A following line whose start state is the one it had
// before keeps its colours. Lines here are not split further ('\n' is not expected in them).
// The budget's time ends the call after the lines done so far (at least one; complete false);
// a line over maxLineChars stays plain and passes the state on unchanged; the text limits do
// not apply (the caller hands over pieces of its text).
struct LinesResult {
    QList<QList<Span>> lines;
    QList<int> endStates;
    bool complete = true;
};
LinesResult highlightLines(const QString &language, const QStringList &lines, int startState,
                           Budget budget = {});

} // namespace vexa::highlight
