#include "symbols.h"

#include <QFile>
#include <QFontDatabase>
#include <QLoggingCategory>
#include <QtEndian>

#include <cstring>
#include <string>

namespace vexa {

namespace {

Q_LOGGING_CATEGORY(lcSymbols, "vexa.symbols")

// Keep sorted by area; a name appears once. Code points are those of the Debian package's
// MaterialIcons-Regular.ttf (see its _variables.scss); the tests check each against the font.
constexpr SymbolGlyph kSymbols[] = {
    // Brand and navigation
    {"sparkle", "auto_awesome", 0xe65f},
    {"magnifyingglass", "search", 0xe8b6},
    {"square.grid.2x2", "grid_view", 0xe9b0},
    {"paperplane.fill", "send", 0xe163},
    {"sparkles", "auto_awesome", 0xe65f},
    {"chevron.down", "expand_more", 0xe5cf},
    {"chevron.right", "chevron_right", 0xe5cc},
    {"sidebar.left", "view_sidebar", 0xf114},
    {"ellipsis.circle", "more_horiz", 0xe5d3},
    // Sections
    {"bubble.left.and.bubble.right.fill", "forum", 0xe0bf},
    {"chevron.left.forwardslash.chevron.right", "code", 0xe86f},
    {"sparkles.rectangle.stack.fill", "auto_awesome_motion", 0xe661},
    {"wand.and.stars", "auto_fix_high", 0xe663},
    {"folder.fill", "folder", 0xe2c7},
    {"person.3.fill", "groups", 0xf233},
    {"crown.fill", "workspace_premium", 0xe7af},
    {"crown", "workspace_premium", 0xe7af},
    {"person.crop.circle.fill", "account_circle", 0xe853},
    {"person.crop.circle", "account_circle", 0xe853},
    // Actions
    {"plus", "add", 0xe145},
    {"arrow.up.circle.fill", "arrow_circle_up", 0xf182},
    {"arrow.up", "arrow_upward", 0xe5d8},
    {"arrow.down", "arrow_downward", 0xe5db},
    {"square.and.arrow.down", "file_download", 0xe2c4},
    {"square.and.arrow.up", "ios_share", 0xe6b8},
    {"doc.on.doc", "content_copy", 0xe14d},
    {"xmark.circle.fill", "cancel", 0xe5c9},
    {"envelope", "mail", 0xe158},
    {"star", "star", 0xe838},
    {"speaker.wave.2", "volume_up", 0xe050},
    {"arrowshape.turn.up.left", "reply", 0xe15e},
    {"photo", "photo", 0xe410},
    {"square.and.pencil", "edit_note", 0xe745},
    {"checkmark.circle.fill", "check_circle", 0xe86c},
    {"arrow.clockwise", "refresh", 0xe5d5},
    {"lock.fill", "lock", 0xe897},
    // Chat and voice
    {"bubble.left", "chat_bubble_outline", 0xe0cb},
    {"waveform", "graphic_eq", 0xe1b8},
    {"mic", "mic", 0xe029},
    {"stop.circle.fill", "stop_circle", 0xef71},
    // Files
    {"folder", "folder_open", 0xe2c8},
    {"folder.badge.plus", "create_new_folder", 0xe2cc},
    {"doc.text", "description", 0xe873},
    {"doc", "insert_drive_file", 0xe24d},
    {"doc.fill", "insert_drive_file", 0xe24d},
    {"tray.full", "all_inbox", 0xe97f},
    // Models
    {"cpu", "memory", 0xe322},
    // Voice conversation and voice library
    {"person.wave.2", "record_voice_over", 0xe91f},
    {"waveform.circle.fill", "settings_voice", 0xe8c8},
    {"waveform.circle", "graphic_eq", 0xe1b8},
    {"bolt.fill", "bolt", 0xea0b},
    {"stop.fill", "stop", 0xe047},
    {"mic.fill", "mic", 0xe029},
    {"play.fill", "play_arrow", 0xe037},
    {"star.fill", "star", 0xe838},
    {"circle", "radio_button_unchecked", 0xe836},
    {"arrow.down.circle", "arrow_circle_down", 0xf181},
    {"questionmark.circle", "help_outline", 0xe8fd},
    // Workspace and tools
    {"brain.head.profile", "psychology", 0xea4a},
    {"trash", "delete", 0xe872},
    {"globe", "public", 0xe80b},
    {"theatermasks.fill", "theater_comedy", 0xea66},
    // Images and productivity
    {"lock", "lock", 0xe897},
    {"photo.on.rectangle", "photo_library", 0xe413},
    {"link", "link", 0xe157},
    {"checkmark", "done", 0xe876},
    // Account
    {"gift.fill", "card_giftcard", 0xe8f6},
    {"slider.horizontal.3", "tune", 0xe429},
    {"textformat.size", "format_size", 0xe245},
    {"paperplane", "near_me", 0xe569},
    {"bell", "notifications", 0xe7f4},
    {"eye.slash", "visibility_off", 0xe8f5},
    {"rectangle.portrait.and.arrow.right", "logout", 0xe9ba},
    {"ticket.fill", "confirmation_number", 0xe638},
};

} // namespace

QList<SymbolGlyph> symbolTable()
{
    return QList<SymbolGlyph>(std::begin(kSymbols), std::end(kSymbols));
}

std::optional<char16_t> symbolCodepoint(QStringView name)
{
    for (const SymbolGlyph &symbol : kSymbols) {
        if (name == QLatin1StringView(symbol.name))
            return symbol.codepoint;
    }
    return std::nullopt;
}

QByteArray withSymbolFamilyName(QByteArray font)
{
    static_assert(std::char_traits<char>::length(kSymbolFontPublishedFamily)
                  == std::char_traits<char>::length(kSymbolFontFamily));
    const auto u16 = [&font](qsizetype at) { return qFromBigEndian<quint16>(font.constData() + at); };
    const auto u32 = [&font](qsizetype at) { return qFromBigEndian<quint32>(font.constData() + at); };
    if (font.size() < 12)
        return font;
    const qsizetype tableCount = u16(4);
    qsizetype nameTable = -1;
    qsizetype nameLength = 0;
    for (qsizetype i = 0; i < tableCount; ++i) {
        const qsizetype record = 12 + 16 * i;
        if (record + 16 > font.size())
            return font;
        if (font.mid(record, 4) == "name") {
            nameTable = u32(record + 8);
            nameLength = u32(record + 12);
        }
    }
    if (nameTable < 0 || nameLength < 6 || nameTable > font.size() - nameLength)
        return font;
    const qsizetype count = u16(nameTable + 2);
    const qsizetype storage = nameTable + u16(nameTable + 4);
    const QByteArray published(kSymbolFontPublishedFamily);
    const QByteArray own(kSymbolFontFamily);
    // Names are UTF-16BE on the Unicode and Windows platforms, single bytes on the Mac one.
    const auto encoded = [](const QByteArray &latin, bool wide) {
        if (!wide)
            return latin;
        QByteArray out;
        for (const char c : latin)
            out.append('\0').append(c);
        return out;
    };
    char *const data = font.data();
    for (qsizetype i = 0; i < count; ++i) {
        const qsizetype record = nameTable + 6 + 12 * i;
        if (record + 12 > nameTable + nameLength)
            break;
        const quint16 platform = u16(record);
        const quint16 nameId = u16(record + 6);
        const qsizetype length = u16(record + 8);
        const qsizetype at = storage + u16(record + 10);
        // Family, full name, typographic family, WWS family.
        if (nameId != 1 && nameId != 4 && nameId != 16 && nameId != 21)
            continue;
        if (at < storage || at > nameTable + nameLength - length)
            continue;
        const bool wide = platform == 0 || platform == 3;
        const QByteArray from = encoded(published, wide);
        const QByteArray to = encoded(own, wide);
        const qsizetype found = QByteArrayView(data + at, length).indexOf(from);
        if (found >= 0)
            std::memcpy(data + at + found, to.constData(), size_t(to.size()));
    }
    return font;
}

QString symbolFontResource()
{
    return QStringLiteral(":/qt/qml/VexaAI/Style/fonts/MaterialIcons-Regular.ttf");
}

Symbols::Symbols(QObject *parent)
    : QObject(parent)
{
}

QString Symbols::loadFont()
{
    static const QString family = [] {
        QFile file(symbolFontResource());
        const int id = file.open(QIODevice::ReadOnly)
            ? QFontDatabase::addApplicationFontFromData(withSymbolFamilyName(file.readAll()))
            : -1;
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (families.isEmpty()) {
            qCWarning(lcSymbols, "The bundled symbol font %s could not be loaded",
                      qPrintable(symbolFontResource()));
            return QString();
        }
        return families.constFirst();
    }();
    return family;
}

QString Symbols::glyphFor(const QString &name)
{
    if (name.isEmpty())
        return QString();
    if (const auto codepoint = symbolCodepoint(name))
        return QString(QChar(*codepoint));
    qCWarning(lcSymbols, "Unknown symbol name \"%s\"", qPrintable(name));
    return QString(QChar(kUnknownSymbolCodepoint));
}

} // namespace vexa
