// Every character of the app's own texts has a glyph in the fonts the app brings: the symbol
// font it bundles (registered as the app registers it) and the fonts of the Debian packages it
// installs (tools/debian-packages.txt). A character no font there has is drawn as an empty box
// on a machine with nothing else installed. Emoji must be in the emoji font: a plain font's
// black-and-white stand-in looks like a different character beside the coloured ones.

#include "awaittask.h"
#include "sourcetexts.h"
#include "symbols.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QProcess>
#include <QTest>

#include <unicode/uchar.h>

#include <map>

using namespace vexa::test;

namespace {

struct Use {
    QString where;
    QString text;
};

// Characters that draw nothing by themselves (joiners, variation selectors, marks on a base).
bool drawsNothing(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Other_Format:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_Enclosing:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return c == U'\n' || c == U'\t';
    }
}

// Shown as a coloured emoji: emoji presentation by default, or asked for with U+FE0F.
bool isEmoji(char32_t c, char32_t next)
{
    return u_hasBinaryProperty(UChar32(c), UCHAR_EMOJI_PRESENTATION)
        || (next == 0xFE0F && u_hasBinaryProperty(UChar32(c), UCHAR_EMOJI));
}

QStringList packageFontFiles(const QString &package)
{
    QProcess query;
    query.start(QStringLiteral("dpkg-query"), {QStringLiteral("-L"), package});
    if (!query.waitForFinished(scaledMs(30000)) || query.exitCode() != 0)
        return {};
    QStringList files;
    const QStringList lines = QString::fromUtf8(query.readAllStandardOutput()).split(u'\n');
    for (const QString &line : lines) {
        if (line.endsWith(QLatin1String(".ttf")) || line.endsWith(QLatin1String(".otf"))
            || line.endsWith(QLatin1String(".ttc")))
            files.append(line);
    }
    return files;
}

} // namespace

class GlyphCoverageTest : public QObject
{
    Q_OBJECT

    QStringList m_families;      // every font the app brings
    QStringList m_emojiFamilies; // of those, the emoji fonts
    std::map<char32_t, QList<Use>> m_characters;

    bool covers(const QString &family, char32_t c) const
    {
        QFont font(family);
        // Only this font: no fallback to whatever else the machine has.
        font.setStyleStrategy(QFont::NoFontMerging);
        return QFontMetrics(font).inFontUcs4(uint(c));
    }
    bool coveredByAny(const QStringList &families, char32_t c) const
    {
        return std::any_of(families.cbegin(), families.cend(),
                           [&](const QString &family) { return covers(family, c); });
    }

private Q_SLOTS:
    void initTestCase()
    {
        const QString symbols = vexa::Symbols::loadFont();
        QVERIFY2(!symbols.isEmpty(), "the bundled symbol font did not load");
        m_families.append(symbols);

        QFile list(QDir(sourceRoot()).filePath(QStringLiteral("tools/debian-packages.txt")));
        QVERIFY(list.open(QIODevice::ReadOnly | QIODevice::Text));
        QStringList packages;
        for (const QByteArray &raw : list.readAll().split('\n')) {
            const QString line = QString::fromUtf8(raw).trimmed();
            if (line.startsWith(QLatin1String("fonts-")))
                packages.append(line);
        }
        QVERIFY2(!packages.isEmpty(), "the package list names no font");
        for (const QString &package : std::as_const(packages)) {
            const QStringList files = packageFontFiles(package);
            QVERIFY2(!files.isEmpty(), qPrintable(package + QStringLiteral(" is not installed or has no font")));
            for (const QString &file : files) {
                const int id = QFontDatabase::addApplicationFont(file);
                QVERIFY2(id >= 0, qPrintable(file));
                for (const QString &family : QFontDatabase::applicationFontFamilies(id)) {
                    if (!m_families.contains(family))
                        m_families.append(family);
                    if (package.contains(QLatin1String("emoji")) && !m_emojiFamilies.contains(family))
                        m_emojiFamilies.append(family);
                }
            }
        }
        QVERIFY2(!m_emojiFamilies.isEmpty(), "the package list holds no emoji font");

        const QStringList files = appSources({QStringLiteral(".qml"), QStringLiteral(".cpp"),
                                              QStringLiteral(".h")});
        QVERIFY(files.size() > 100);
        for (const QString &file : files) {
            for (const SourceText &literal : stringLiterals(file, readSource(file))) {
                const QList<uint> ucs4 = literal.text.toUcs4();
                for (qsizetype n = 0; n < ucs4.size(); ++n) {
                    const char32_t c = ucs4.at(n);
                    if (c < 0x80 || drawsNothing(c))
                        continue;
                    const char32_t next = n + 1 < ucs4.size() ? ucs4.at(n + 1) : 0;
                    // An emoji and the same character as text are two needs; keep them apart.
                    const char32_t key = isEmoji(c, next) ? (c | 0x80000000u) : c;
                    m_characters[key].append({file + u':' + QString::number(literal.line), literal.text});
                }
            }
        }
        // The app's texts are Russian: the scan must have found them.
        QVERIFY(m_characters.count(U'ж') == 1);
    }

    // The fonts' answers: a Cyrillic letter and an emoji are found where they should be, and a
    // character none of them has is not found in the machine's other fonts.
    void fontsAnswerAsExpected()
    {
        QVERIFY(coveredByAny(m_families, U'Ж'));
        QVERIFY(!coveredByAny(m_families, U'一')); // no font here draws Chinese
        QVERIFY(coveredByAny(m_emojiFamilies, U'🤖'));
        QVERIFY(!coveredByAny(m_emojiFamilies, U'Ж'));
    }

    void everyCharacterHasAGlyph()
    {
        QStringList missing;
        for (const auto &[key, uses] : m_characters) {
            const bool emoji = key & 0x80000000u;
            const char32_t c = key & 0x7fffffffu;
            const bool ok = emoji ? coveredByAny(m_emojiFamilies, c) : coveredByAny(m_families, c);
            if (ok)
                continue;
            missing.append(QStringLiteral("U+%1 %2%3 (%4) in %5: \"%6\"")
                               .arg(QStringLiteral("%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper(),
                                    QString::fromUcs4(&c, 1),
                                    emoji ? QStringLiteral(" as emoji") : QString(),
                                    emoji ? m_emojiFamilies.join(QStringLiteral(", "))
                                          : QStringLiteral("no font of the app"),
                                    uses.first().where, uses.first().text.left(80)));
        }
        QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("\n") + missing.join(u'\n')));
    }
};

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    GlyphCoverageTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_glyphcoverage.moc"
