#pragma once

// The app's symbols: names in the symbol vocabulary the screens are described in, each drawn
// as one glyph of the Material Icons font bundled into the app's resources. This table is the
// only place that knows the font; screens name symbols and draw them with VexaIcon.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

#include <optional>

namespace vexa {

struct SymbolGlyph {
    const char *name;         // the symbol name screens use, e.g. "magnifyingglass"
    const char *materialName; // the icon's name in the font, for whoever edits the table
    char16_t codepoint;       // the icon's code point in the font's private use area
};

// Every known symbol, in no particular order.
QList<SymbolGlyph> symbolTable();
std::optional<char16_t> symbolCodepoint(QStringView name);
// Drawn in place of an unknown name: a question mark in a circle, so the gap shows.
inline constexpr char16_t kUnknownSymbolCodepoint = 0xe8fd; // "help_outline"

// Resource path of the bundled font.
QString symbolFontResource();

// The bundled font is registered under a family name of its own. Systems often carry other builds
// of the icon font under its published name (Debian installs TTF, WOFF and WOFF2 copies), and Qt's
// matching preferred one of those to the bundled copy: a WOFF2 that FreeType unpacks whenever it
// opens it (milliseconds of the first chat frame), or a build whose code points may differ from
// this table. The name records are rewritten in place with a name of the same length, so no
// offset in the file moves; a font without them is returned as it came.
inline constexpr char kSymbolFontPublishedFamily[] = "Material Icons";
inline constexpr char kSymbolFontFamily[] = "VexaAI Symbols";
QByteArray withSymbolFamilyName(QByteArray font);

// QML: Symbols.glyph("sparkle") gives the character to draw with Symbols.fontFamily.
class Symbols : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QString fontFamily READ fontFamily CONSTANT)

public:
    explicit Symbols(QObject *parent = nullptr);

    // Registers the bundled font with the application once; the family name it got, or empty
    // when the font could not be loaded.
    static QString loadFont();
    QString fontFamily() const { return loadFont(); }

    // The glyph for a symbol name. An empty name draws nothing; an unknown one warns (tests
    // fail on warnings) and draws the visible fallback.
    static QString glyphFor(const QString &name);
    Q_INVOKABLE QString glyph(const QString &name) const { return glyphFor(name); }
    Q_INVOKABLE bool isKnown(const QString &name) const { return symbolCodepoint(name).has_value(); }
};

} // namespace vexa
