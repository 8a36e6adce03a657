#include "awaittask.h"
#include "highlight.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>

#include <thread>

using namespace vexa::highlight;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(vexa::highlight::Role)

namespace {

// The role of the text at `offset` of line `line`, Plain when no run covers it.
Role roleAt(const Result &r, int line, int offset)
{
    if (line >= r.lines.size())
        return Role::Plain;
    for (const Span &s : r.lines.at(line))
        if (offset >= s.start && offset < s.start + s.length)
            return s.role;
    return Role::Plain;
}

// Where `token` first stands in `code`, as (line, offset in the line).
std::pair<int, int> find(const QString &code, const QString &token)
{
    const qsizetype at = code.indexOf(token);
    if (at < 0)
        return {-1, -1};
    const qsizetype lineStart = code.lastIndexOf(u'\n', at) + 1; // 0 when none
    return {int(code.left(at).count(u'\n')), int(at - lineStart)};
}

QString lines(int count, const QString &line)
{
    QString s;
    s.reserve(count * (line.size() + 1));
    for (int i = 0; i < count; ++i)
        s += line + u'\n';
    return s;
}

} // namespace

class TstHighlight : public QObject {
    Q_OBJECT

private slots:
    void fenceNames_data();
    void fenceNames();
    void fileNames_data();
    void fileNames();
    void everyLanguageLoads();
    void tokens_data();
    void tokens();
    void multiLineStates();
    void offsetsAreUtf16();
    void unknownLanguageIsPlain();
    void hostileInput_data();
    void hostileInput();
    void timeBudgetStopsEarly();
    void threadsTakeTurns();
};

void TstHighlight::fenceNames_data()
{
    QTest::addColumn<QString>("info");
    QTest::addColumn<QString>("canonical");
    QTest::addColumn<QString>("display");
    QTest::newRow("py") << "py" << "python" << "Python";
    QTest::newRow("Python") << "Python" << "python" << "Python";
    QTest::newRow("python3") << "python3" << "python" << "Python";
    QTest::newRow("attributes") << "python title=\"x.py\"" << "python" << "Python";
    QTest::newRow("braces") << "{.python}" << "python" << "Python";
    QTest::newRow("class name") << "language-rust" << "rust" << "Rust";
    QTest::newRow("comma") << "js,linenos" << "javascript" << "JavaScript";
    QTest::newRow("c++") << "C++" << "cpp" << "C++";
    QTest::newRow("c#") << "c#" << "csharp" << "C#";
    QTest::newRow("ts") << "ts" << "typescript" << "TypeScript";
    QTest::newRow("kt") << "kt" << "kotlin" << "Kotlin";
    QTest::newRow("swift") << "  swift  " << "swift" << "Swift";
    QTest::newRow("golang") << "golang" << "go" << "Go";
    QTest::newRow("shell") << "shell" << "bash" << "Bash";
    QTest::newRow("console") << "console" << "bash" << "Bash";
    QTest::newRow("yml") << "yml" << "yaml" << "YAML";
    QTest::newRow("svg") << "svg" << "xml" << "XML";
    QTest::newRow("md") << "md" << "markdown" << "Markdown";
    QTest::newRow("patch") << "patch" << "diff" << "Diff";
    QTest::newRow("postgresql") << "postgresql" << "sql" << "SQL";
    QTest::newRow("empty") << "" << "" << "";
    QTest::newRow("unknown") << "brainfuck" << "" << "";
    QTest::newRow("text") << "text" << "" << "";
    QTest::newRow("prefix only") << "pyth" << "" << "";
    QTest::newRow("NUL") << QString::fromUtf16(u"py\0thon", 7) << "" << "";
}

void TstHighlight::fenceNames()
{
    QFETCH(QString, info);
    QFETCH(QString, canonical);
    QFETCH(QString, display);
    QCOMPARE(canonicalLanguage(info), canonical);
    QCOMPARE(displayName(info), display);
}

void TstHighlight::fileNames_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("firstLine");
    QTest::addColumn<QString>("language");
    QTest::newRow(".py") << "src/app/main.py" << "" << "python";
    QTest::newRow(".PY") << "MAIN.PY" << "" << "python";
    QTest::newRow(".h") << "a.h" << "" << "c";
    QTest::newRow(".hpp") << "a.hpp" << "" << "cpp";
    QTest::newRow(".tsx") << "view.tsx" << "" << "typescript";
    QTest::newRow(".kts") << "build.gradle.kts" << "" << "kotlin";
    QTest::newRow(".yml") << "ci.yml" << "" << "yaml";
    QTest::newRow("README") << "README" << "" << "markdown";
    QTest::newRow("README.md") << "README.md" << "" << "markdown";
    QTest::newRow("README.txt") << "README.txt" << "" << "";
    QTest::newRow("Makefile") << "Makefile" << "" << "makefile";
    QTest::newRow("GNUmakefile") << "GNUmakefile" << "" << "makefile";
    QTest::newRow("Dockerfile") << "Dockerfile" << "" << "dockerfile";
    QTest::newRow("Dockerfile.dev") << "Dockerfile.dev" << "" << "dockerfile";
    QTest::newRow("Gemfile") << "Gemfile" << "" << "ruby";
    QTest::newRow("env python3") << "run" << "#!/usr/bin/env python3" << "python";
    QTest::newRow("bash -e") << "deploy" << "#!/bin/bash -e" << "bash";
    QTest::newRow("sh") << "x" << "#! /bin/sh" << "bash";
    QTest::newRow("env -S node") << "tool" << "#!/usr/bin/env -S node --flag" << "javascript";
    QTest::newRow("extension wins") << "x.rb" << "#!/usr/bin/env python" << "ruby";
    QTest::newRow("unknown shebang") << "x" << "#!/usr/bin/env awk" << "";
    QTest::newRow("no shebang") << "notes" << "hello" << "";
    QTest::newRow("dot only") << ".py" << "" << "";
    QTest::newRow("hidden rc") << ".bashrc" << "" << "bash";
}

void TstHighlight::fileNames()
{
    QFETCH(QString, fileName);
    QFETCH(QString, firstLine);
    QFETCH(QString, language);
    QCOMPARE(languageForFile(fileName, firstLine), language);
}

void TstHighlight::everyLanguageLoads()
{
    // Each definition (Debian's and ours) reads, and colours a line of plain words in time.
    for (const QString &language : languages()) {
        const Result r = highlight(language, QStringLiteral("hello world 42 \"s\"\n# x\n"));
        QVERIFY2(r.complete, qPrintable(language));
        QCOMPARE(r.lines.size(), 3);
        QCOMPARE(canonicalLanguage(language), language);
        QVERIFY(!displayName(language).isEmpty());
    }
}

void TstHighlight::tokens_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("token");
    QTest::addColumn<Role>("role");

    const QString py = QStringLiteral("import os\ndef area(x):\n    # note\n    return \"s\" + 0x1F\n");
    QTest::newRow("python keyword") << "python" << py << "def" << Role::Keyword;
    QTest::newRow("python comment") << "python" << py << "note" << Role::Comment;
    QTest::newRow("python string") << "python" << py << "\"s\"" << Role::String;
    QTest::newRow("python number") << "python" << py << "0x1F" << Role::Number;
    QTest::newRow("python function") << "python" << py << "area" << Role::Function;
    QTest::newRow("python plain") << "python" << py << "x" << Role::Plain;

    const QString c = QStringLiteral("#include <stdio.h>\nint main(void) { return 0; } /* c */\n");
    QTest::newRow("c preprocessor") << "c" << c << "#include" << Role::Preprocessor;
    QTest::newRow("c type") << "c" << c << "int" << Role::Type;
    QTest::newRow("c comment") << "c" << c << "/* c */" << Role::Comment;
    QTest::newRow("cpp keyword") << "cpp" << "template <typename T> class A {};" << "class" << Role::Keyword;
    QTest::newRow("csharp keyword") << "csharp" << "public sealed class A { }" << "sealed" << Role::Keyword;
    QTest::newRow("java string") << "java" << "String s = \"hi\";" << "\"hi\"" << Role::String;
    QTest::newRow("javascript keyword") << "javascript" << "return x => x;" << "return" << Role::Keyword;
    QTest::newRow("go keyword") << "go" << "func main() {}" << "func" << Role::Keyword;
    QTest::newRow("rust keyword") << "rust" << "fn main() { let x = 1; }" << "let" << Role::Keyword;
    QTest::newRow("php variable") << "php" << "<?php $name = 'x'; ?>" << "'x'" << Role::String;
    QTest::newRow("ruby keyword") << "ruby" << "def add(a)\n  a\nend\n" << "end" << Role::Keyword;
    QTest::newRow("sql keyword") << "sql" << "SELECT name FROM t WHERE id = 1;" << "WHERE" << Role::Keyword;
    QTest::newRow("bash comment") << "bash" << "echo hi # done" << "done" << Role::Comment;
    QTest::newRow("json key") << "json" << "{\"name\": \"x\", \"n\": 3}" << "name" << Role::Attribute;
    QTest::newRow("json number") << "json" << "{\"name\": \"x\", \"n\": 3}" << "3" << Role::Number;
    QTest::newRow("html tag") << "html" << "<p class=\"a\">hi</p>" << "<p" << Role::Tag;
    QTest::newRow("html attribute") << "html" << "<p class=\"a\">hi</p>" << "class" << Role::Attribute;
    QTest::newRow("html text") << "html" << "<p class=\"a\">hi</p>" << "hi" << Role::Plain;
    QTest::newRow("xml tag") << "xml" << "<a><b x=\"1\"/></a>" << "<b" << Role::Tag;
    QTest::newRow("css comment") << "css" << "a { color: red; } /* x */" << "/* x */" << Role::Comment;
    QTest::newRow("diff removed") << "diff" << "--- a\n+++ b\n@@ -1 +1 @@\n-old\n+new\n" << "old" << Role::Removed;
    QTest::newRow("diff inserted") << "diff" << "--- a\n+++ b\n@@ -1 +1 @@\n-old\n+new\n" << "new" << Role::Inserted;

    // The project's own definitions.
    const QString ts = QStringLiteral("interface A { n: number }\nconst s = `v ${x}`; // c\n");
    QTest::newRow("typescript keyword") << "typescript" << ts << "interface" << Role::Keyword;
    QTest::newRow("typescript type") << "typescript" << ts << "number" << Role::Type;
    QTest::newRow("typescript template") << "typescript" << ts << "`v" << Role::String;
    QTest::newRow("typescript template part") << "typescript" << ts << "${x}" << Role::Escape;
    QTest::newRow("typescript comment") << "typescript" << ts << "// c" << Role::Comment;
    const QString kt = QStringLiteral("@JvmStatic\nfun main() { val s = \"n=$n\" }\n");
    QTest::newRow("kotlin annotation") << "kotlin" << kt << "@JvmStatic" << Role::Preprocessor;
    QTest::newRow("kotlin keyword") << "kotlin" << kt << "val" << Role::Keyword;
    QTest::newRow("kotlin function") << "kotlin" << kt << "main" << Role::Function;
    QTest::newRow("kotlin template") << "kotlin" << kt << "$n" << Role::Escape;
    const QString sw = QStringLiteral("guard let x = y else { return nil }\nprint(\"\\(x)\")\n");
    QTest::newRow("swift keyword") << "swift" << sw << "guard" << Role::Keyword;
    QTest::newRow("swift nil") << "swift" << sw << "nil" << Role::Keyword;
    QTest::newRow("swift interpolation") << "swift" << sw << "\\(x)" << Role::Escape;
    const QString yaml = QStringLiteral("# c\njobs:\n  - name: \"b\" # t\n    n: 3\n    on: true\n");
    QTest::newRow("yaml key") << "yaml" << yaml << "jobs" << Role::Attribute;
    QTest::newRow("yaml key in list") << "yaml" << yaml << "name" << Role::Attribute;
    QTest::newRow("yaml string") << "yaml" << yaml << "\"b\"" << Role::String;
    QTest::newRow("yaml comment") << "yaml" << yaml << "# t" << Role::Comment;
    QTest::newRow("yaml number") << "yaml" << yaml << "3" << Role::Number;
    QTest::newRow("yaml bool") << "yaml" << yaml << "true" << Role::Keyword;
    QTest::newRow("yaml hash in word") << "yaml" << "a: x#y\n" << "#y" << Role::Plain;
    const QString md = QStringLiteral("# Title\nSome **bold** and `code` [a](https://x.org)\n"
                                      "- item\n> quote\n```\nraw **x**\n```\n");
    QTest::newRow("markdown heading") << "markdown" << md << "Title" << Role::Heading;
    QTest::newRow("markdown strong") << "markdown" << md << "**bold**" << Role::Emphasis;
    QTest::newRow("markdown code") << "markdown" << md << "`code`" << Role::String;
    QTest::newRow("markdown link") << "markdown" << md << "[a]" << Role::Link;
    QTest::newRow("markdown list") << "markdown" << md << "-" << Role::Keyword;
    QTest::newRow("markdown quote") << "markdown" << md << "quote" << Role::Comment;
    QTest::newRow("markdown fence") << "markdown" << md << "raw" << Role::String;
    QTest::newRow("markdown plain") << "markdown" << md << "Some" << Role::Plain;
    const QString docker = QStringLiteral("FROM debian:12 AS base\n# c\nRUN apt-get install -y $PKG\n");
    QTest::newRow("dockerfile instruction") << "dockerfile" << docker << "RUN" << Role::Keyword;
    QTest::newRow("dockerfile variable") << "dockerfile" << docker << "$PKG" << Role::Variable;
    QTest::newRow("dockerfile comment") << "dockerfile" << docker << "# c" << Role::Comment;
}

void TstHighlight::tokens()
{
    QFETCH(QString, language);
    QFETCH(QString, code);
    QFETCH(QString, token);
    QFETCH(Role, role);
    const auto [line, offset] = find(code, token);
    QVERIFY2(line >= 0, "the token is in the snippet");
    const Result r = highlight(language, code);
    QVERIFY(r.complete);
    QCOMPARE(r.lines.size(), code.count(u'\n') + 1);
    // The whole token has the role, not just its first character.
    for (int i = 0; i < token.size(); ++i)
        QCOMPARE(roleAt(r, line, offset + i), role);
}

void TstHighlight::multiLineStates()
{
    // A comment or string that spans lines keeps its role on the next line and ends where the
    // language says.
    const Result c = highlight(QStringLiteral("c"), QStringLiteral("a /* one\ntwo */ int b;"));
    QCOMPARE(roleAt(c, 1, 0), Role::Comment);
    QCOMPARE(roleAt(c, 1, 7), Role::Type);
    const Result py = highlight(QStringLiteral("python"), QStringLiteral("s = '''x\ny'''\nz = 1"));
    QCOMPARE(roleAt(py, 1, 0), roleAt(py, 0, 4));
    QCOMPARE(roleAt(py, 2, 4), Role::Number);
}

void TstHighlight::offsetsAreUtf16()
{
    // Cyrillic (two UTF-8 bytes, one unit) and an emoji (four bytes, two units) before a
    // keyword: its span starts where the keyword stands in the QString.
    const QString code = QStringLiteral("x = \"привет 😀\"; return y");
    const Result r = highlight(QStringLiteral("javascript"), code);
    const int at = int(code.indexOf(u"return"));
    QCOMPARE(roleAt(r, 0, at), Role::Keyword);
    QCOMPARE(roleAt(r, 0, at + 5), Role::Keyword);
    QCOMPARE(roleAt(r, 0, at - 2), Role::Operator);
    QCOMPARE(roleAt(r, 0, int(code.indexOf(u"😀")) + 1), Role::String);
    for (const Span &s : r.lines.at(0))
        QVERIFY(s.start >= 0 && s.length > 0 && s.start + s.length <= code.size());
}

void TstHighlight::unknownLanguageIsPlain()
{
    const Result r = highlight(QStringLiteral("cobol-ish"), QStringLiteral("a\nb\nc"));
    QVERIFY(r.complete);
    QCOMPARE(r.lines.size(), 3);
    for (const auto &line : r.lines)
        QVERIFY(line.isEmpty());
}

void TstHighlight::hostileInput_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("complete");
    QTest::newRow("1 MB line") << "python" << QString(1 << 20, u'a') << false;
    QTest::newRow("2,000 brackets") << "cpp" << QString(2000, u'(') << true;
    QTest::newRow("50,000 lines") << "cpp" << lines(50000, QStringLiteral("int x = 1;")) << false;
    QTest::newRow("19,999 short lines") << "json" << lines(19998, QStringLiteral("1,")) << true;
    QString junk;
    auto *rng = QRandomGenerator::global();
    for (int i = 0; i < 20000; ++i)
        junk.append(i % 97 == 0 ? QChar(u'\n') : QChar(char16_t(rng->bounded(0, 0x10000))));
    QTest::newRow("binary junk") << "c" << junk << true;
    QTest::newRow("NUL") << "python" << QString::fromUtf16(u"x = '\0'\n\0\0# \0", 14) << true;
    QTest::newRow("lone surrogates") << "javascript"
                                     << QString::fromUtf16(u"var a = \xD800\"\xDC00\" // \xDBFF", 18) << true;
    QTest::newRow("unclosed comment") << "c" << QStringLiteral("/*") + lines(500, QStringLiteral("x")) << true;
    QTest::newRow("deep nesting") << "kotlin" << QString(990, u'{') + QString(990, u'"') << true;
    QTest::newRow("markdown stars") << "markdown" << QString(1999, u'*') << true;
    QTest::newRow("yaml colons") << "yaml" << QString(990, u':') + QStringLiteral(" ") + QString(990, u'-') << true;
    QTest::newRow("over the line limit") << "kotlin" << QString(2001, u'{') << false;
    QTest::newRow("CRLF") << "python" << QStringLiteral("a = 1\r\nb = 2\r\n") << true;
}

void TstHighlight::hostileInput()
{
    QFETCH(QString, language);
    QFETCH(QString, code);
    QFETCH(bool, complete);
    QElapsedTimer t;
    t.start();
    // The size limits are what is tested here; the time budget is the next test's.
    const Result r = highlight(language, code, Budget{.time = 60s});
    // Never a hang: each line is bounded by the line limit (slack for a shared machine).
    QVERIFY2(t.elapsed() < vexa::test::scaledMs(5000), qPrintable(QString::number(t.elapsed())));
    QVERIFY2(r.complete == complete, qPrintable(QStringLiteral("%1 ms").arg(t.elapsed())));
    QCOMPARE(r.lines.size(), code.count(u'\n') + 1);
    qsizetype from = 0;
    for (const auto &line : r.lines) {
        qsizetype to = code.indexOf(u'\n', from);
        if (to < 0)
            to = code.size();
        for (const Span &s : line)
            QVERIFY(s.start >= 0 && s.length > 0 && s.start + s.length <= to - from);
        from = to + 1;
    }
}

void TstHighlight::timeBudgetStopsEarly()
{
    // 10,000 lines take far longer than 5 ms: the run stops, the lines done keep their runs.
    const QString code = lines(10000, QStringLiteral("int main() { return 0; } // comment"));
    highlight(QStringLiteral("cpp"), QStringLiteral("int")); // its definition read beforehand
    QElapsedTimer t;
    t.start();
    const Result r = highlight(QStringLiteral("cpp"), code, Budget{.time = 5ms});
    QVERIFY(t.elapsed() < vexa::test::scaledMs(1000));
    QVERIFY(!r.complete);
    QVERIFY(!r.lines.first().isEmpty());
    QVERIFY(r.lines.at(9999).isEmpty());
}

void TstHighlight::threadsTakeTurns()
{
    // Several threads at once get the same runs as one alone.
    const QString code = lines(300, QStringLiteral("def f(x): return x + 1  # c"));
    const Result alone = highlight(QStringLiteral("python"), code);
    std::vector<std::thread> threads;
    std::atomic<int> same{0};
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([&] {
            for (int k = 0; k < 5; ++k) {
                const Result r = highlight(QStringLiteral("python"), code, Budget{.time = 20s});
                if (r.complete && r.lines == alone.lines)
                    ++same;
            }
        });
    for (auto &t : threads)
        t.join();
    QCOMPARE(same.load(), 20);
}

QTEST_GUILESS_MAIN(TstHighlight)
#include "tst_highlight.moc"
