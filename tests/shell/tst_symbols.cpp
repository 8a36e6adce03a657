// The glyph map: every symbol name the QML uses is in it, and every entry draws a real glyph of
// the bundled font.

#include "symbols.h"
#include "vexasection.h"

#include <QDirIterator>
#include <QFile>
#include <QFontInfo>
#include <QGuiApplication>
#include <QRawFont>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

using vexa::Symbols;

class SymbolsTest : public QObject
{
    Q_OBJECT

private slots:
    void fontIsBundled();
    void glyphsDrawFromTheBundledCopy();
    void renamingKeepsTheFontWhole_data();
    void renamingKeepsTheFontWhole();
    void everyEntryIsAGlyphOfTheFont();
    void entriesMatchThePackagesCodepoints();
    void namesAreUnique();
    void everySymbolUsedIsKnown();
    void unknownNameWarnsAndShowsFallback();
};

void SymbolsTest::fontIsBundled()
{
    QVERIFY(QFile::exists(vexa::symbolFontResource()));
    QVERIFY(!Symbols::loadFont().isEmpty());
}

// The system's own copies of the icon font (here Debian's TTF, WOFF and WOFF2) carry its published
// name; the screens must draw from the bundled one all the same.
void SymbolsTest::glyphsDrawFromTheBundledCopy()
{
    const QString family = Symbols::loadFont();
    QCOMPARE(family, QString::fromLatin1(vexa::kSymbolFontFamily));
    QFont font(family);
    font.setPixelSize(24);
    QCOMPARE(QFontInfo(font).family(), family);
    const QRawFont drawn = QRawFont::fromFont(font);
    QVERIFY(drawn.isValid());
    QCOMPARE(drawn.familyName(), family);
    QVERIFY(drawn.supportsCharacter(QChar(vexa::symbolCodepoint(u"sparkle").value())));
}

// The rename touches the name records only: the renamed font still draws every glyph, and a
// damaged file is handed back at its size without a read or write outside it.
void SymbolsTest::renamingKeepsTheFontWhole_data()
{
    QTest::addColumn<int>("keptPercent");
    QTest::addColumn<bool>("renamed");

    QTest::newRow("whole font") << 100 << true;
    QTest::newRow("cut in the table directory") << 0 << false;
    QTest::newRow("cut halfway") << 50 << false;
    QTest::newRow("last byte missing") << 99 << false;
}

void SymbolsTest::renamingKeepsTheFontWhole()
{
    QFETCH(int, keptPercent);
    QFETCH(bool, renamed);

    QFile file(vexa::symbolFontResource());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    if (keptPercent == 0)
        bytes.truncate(20);
    else if (keptPercent == 99)
        bytes.chop(1);
    else if (keptPercent < 100)
        bytes.truncate(bytes.size() * keptPercent / 100);
    const QByteArray result = vexa::withSymbolFamilyName(bytes);
    QCOMPARE(result.size(), bytes.size());
    if (!renamed) {
        // Whatever the cut left of the name records may be renamed; nothing else changes.
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            if (result.at(i) != bytes.at(i))
                QVERIFY2(QByteArrayLiteral("Material Icons").contains(bytes.at(i)), qPrintable(QString::number(i)));
        }
        return;
    }
    const QRawFont font(result, 24);
    QVERIFY(font.isValid());
    QCOMPARE(font.familyName(), QString::fromLatin1(vexa::kSymbolFontFamily));
    for (const vexa::SymbolGlyph &symbol : vexa::symbolTable())
        QVERIFY2(font.glyphIndexesForString(QString(QChar(symbol.codepoint))).value(0) != 0, symbol.name);
}

void SymbolsTest::everyEntryIsAGlyphOfTheFont()
{
    QFile file(vexa::symbolFontResource());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QRawFont font(file.readAll(), 24);
    QVERIFY(font.isValid());
    for (const vexa::SymbolGlyph &symbol : vexa::symbolTable()) {
        QVERIFY2(font.supportsCharacter(QChar(symbol.codepoint)), symbol.name);
        QVERIFY2(font.glyphIndexesForString(QString(QChar(symbol.codepoint))).value(0) != 0,
                 symbol.name);
    }
    QVERIFY(font.supportsCharacter(QChar(vexa::kUnknownSymbolCodepoint)));
}

void SymbolsTest::entriesMatchThePackagesCodepoints()
{
    // The icon font package lists each icon's name and code point; the table must agree, so a
    // reader can trust the material names written next to the numbers.
    QFile list(QStringLiteral(
        "/usr/share/fonts-material-design-icons-iconfont/scss/_variables.scss"));
    if (!list.open(QIODevice::ReadOnly))
        QSKIP("the icon font package's code point list is not installed");
    QHash<QString, uint> codepoints;
    const QRegularExpression entry(QStringLiteral("\"([a-z0-9_]+)\":\\s*([0-9a-f]{4,5}),"));
    auto it = entry.globalMatch(QString::fromUtf8(list.readAll()));
    while (it.hasNext()) {
        const auto match = it.next();
        codepoints.insert(match.captured(1), match.captured(2).toUInt(nullptr, 16));
    }
    QVERIFY(codepoints.size() > 1000);
    for (const vexa::SymbolGlyph &symbol : vexa::symbolTable()) {
        const QString material = QString::fromLatin1(symbol.materialName);
        QVERIFY2(codepoints.contains(material), symbol.materialName);
        QCOMPARE(codepoints.value(material), uint(symbol.codepoint));
    }
}

void SymbolsTest::namesAreUnique()
{
    QSet<QString> seen;
    for (const vexa::SymbolGlyph &symbol : vexa::symbolTable()) {
        const QString name = QString::fromLatin1(symbol.name);
        QVERIFY2(!seen.contains(name), symbol.name);
        seen.insert(name);
    }
}

void SymbolsTest::everySymbolUsedIsKnown()
{
    QStringList used;
    QStringList unknown;
    for (const vexa::VexaSection section : vexa::allSections()) {
        const QString name = vexa::sectionSymbol(section);
        used.append(name);
        if (!vexa::symbolCodepoint(name))
            unknown.append(name + QStringLiteral(" (section ") + vexa::sectionTitle(section) + u')');
    }

    // Literal symbol names in every QML file of the app: `symbol: "…"`, `symbolName: "…"`
    // and `Symbols.glyph("…")`.
    const QRegularExpression literal(
        QStringLiteral("(?:\\bsymbol(?:Name)?\\s*:\\s*|Symbols\\.glyph\\(\\s*)\"([^\"]+)\""));
    QDirIterator files(QStringLiteral(VEXA_SOURCE_DIR "/src"), {QStringLiteral("*.qml")},
                       QDir::Files, QDirIterator::Subdirectories);
    int qmlFiles = 0;
    while (files.hasNext()) {
        QFile file(files.next());
        QVERIFY(file.open(QIODevice::ReadOnly));
        ++qmlFiles;
        auto it = literal.globalMatch(QString::fromUtf8(file.readAll()));
        while (it.hasNext()) {
            const QString name = it.next().captured(1);
            used.append(name);
            if (!vexa::symbolCodepoint(name))
                unknown.append(name + QStringLiteral(" (") + file.fileName() + u')');
        }
    }
    QVERIFY(qmlFiles > 10);
    QVERIFY(used.contains(QStringLiteral("sparkle")));
    QVERIFY(used.contains(QStringLiteral("square.grid.2x2")));

    // Add each of these to the table in src/shell/style/symbols.cpp.
    QVERIFY2(unknown.isEmpty(),
             qPrintable(QStringLiteral("unknown symbols: ") + unknown.join(QStringLiteral(", "))));
}

void SymbolsTest::unknownNameWarnsAndShowsFallback()
{
    Symbols symbols;
    QTest::ignoreMessage(QtWarningMsg, "Unknown symbol name \"no.such.symbol\"");
    QCOMPARE(symbols.glyph(QStringLiteral("no.such.symbol")),
             QString(QChar(vexa::kUnknownSymbolCodepoint)));
    QVERIFY(!symbols.isKnown(QStringLiteral("no.such.symbol")));
    QCOMPARE(symbols.glyph(QString()), QString()); // nothing to draw, nothing to report
    QCOMPARE(symbols.glyph(QStringLiteral("sparkle")), QString(QChar(0xe65f)));
}

QTEST_MAIN(SymbolsTest)

#include "tst_symbols.moc"
