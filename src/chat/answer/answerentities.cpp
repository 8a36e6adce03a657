#include "answerentities.h"

#include <QHash>

namespace vexa::answer {

namespace {

// The names answers use, and those of the CommonMark examples; others stay as written.
const QHash<QString, QString> &namedEntities()
{
    static const QHash<QString, QString> names{
        {QStringLiteral("amp"), QStringLiteral("&")},     {QStringLiteral("lt"), QStringLiteral("<")},
        {QStringLiteral("gt"), QStringLiteral(">")},      {QStringLiteral("quot"), QStringLiteral("\"")},
        {QStringLiteral("apos"), QStringLiteral("'")},    {QStringLiteral("nbsp"), QStringLiteral("\u00A0")},
        {QStringLiteral("copy"), QStringLiteral("©")},    {QStringLiteral("reg"), QStringLiteral("®")},
        {QStringLiteral("trade"), QStringLiteral("™")},   {QStringLiteral("hellip"), QStringLiteral("…")},
        {QStringLiteral("mdash"), QStringLiteral("—")},   {QStringLiteral("ndash"), QStringLiteral("–")},
        {QStringLiteral("laquo"), QStringLiteral("«")},   {QStringLiteral("raquo"), QStringLiteral("»")},
        {QStringLiteral("ldquo"), QStringLiteral("“")},   {QStringLiteral("rdquo"), QStringLiteral("”")},
        {QStringLiteral("lsquo"), QStringLiteral("‘")},   {QStringLiteral("rsquo"), QStringLiteral("’")},
        {QStringLiteral("bull"), QStringLiteral("•")},    {QStringLiteral("middot"), QStringLiteral("·")},
        {QStringLiteral("deg"), QStringLiteral("°")},     {QStringLiteral("plusmn"), QStringLiteral("±")},
        {QStringLiteral("times"), QStringLiteral("×")},   {QStringLiteral("divide"), QStringLiteral("÷")},
        {QStringLiteral("euro"), QStringLiteral("€")},    {QStringLiteral("pound"), QStringLiteral("£")},
        {QStringLiteral("yen"), QStringLiteral("¥")},     {QStringLiteral("cent"), QStringLiteral("¢")},
        {QStringLiteral("sect"), QStringLiteral("§")},    {QStringLiteral("para"), QStringLiteral("¶")},
        {QStringLiteral("larr"), QStringLiteral("←")},    {QStringLiteral("rarr"), QStringLiteral("→")},
        {QStringLiteral("uarr"), QStringLiteral("↑")},    {QStringLiteral("darr"), QStringLiteral("↓")},
        {QStringLiteral("le"), QStringLiteral("≤")},      {QStringLiteral("ge"), QStringLiteral("≥")},
        {QStringLiteral("ne"), QStringLiteral("≠")},      {QStringLiteral("infin"), QStringLiteral("∞")},
        {QStringLiteral("frac12"), QStringLiteral("½")},  {QStringLiteral("frac14"), QStringLiteral("¼")},
        {QStringLiteral("frac34"), QStringLiteral("¾")},  {QStringLiteral("AElig"), QStringLiteral("Æ")},
        {QStringLiteral("Dcaron"), QStringLiteral("Ď")},  {QStringLiteral("ouml"), QStringLiteral("ö")},
        {QStringLiteral("auml"), QStringLiteral("ä")},    {QStringLiteral("uuml"), QStringLiteral("ü")},
        {QStringLiteral("szlig"), QStringLiteral("ß")},   {QStringLiteral("eacute"), QStringLiteral("é")},
        {QStringLiteral("HilbertSpace"), QStringLiteral("ℋ")},
        {QStringLiteral("DifferentialD"), QStringLiteral("ⅆ")},
        {QStringLiteral("ClockwiseContourIntegral"), QStringLiteral("∲")},
        {QStringLiteral("ngE"), QStringLiteral("≧̸")},
    };
    return names;
}

} // namespace

QString decodeEntity(const QString &entity)
{
    if (entity.size() < 3 || !entity.startsWith(QLatin1Char('&')) || !entity.endsWith(QLatin1Char(';')))
        return entity;
    const QStringView body = QStringView(entity).sliced(1, entity.size() - 2);
    if (body.startsWith(QLatin1Char('#'))) {
        bool ok = false;
        const bool hex = body.size() > 1 && (body.at(1) == QLatin1Char('x') || body.at(1) == QLatin1Char('X'));
        const uint code = hex ? body.sliced(2).toUInt(&ok, 16) : body.sliced(1).toUInt(&ok, 10);
        if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return QString(QChar(0xFFFD));
        const char32_t c = code;
        return QString::fromUcs4(&c, 1);
    }
    return namedEntities().value(body.toString(), entity);
}

QString attributeText(const MD_ATTRIBUTE &attribute)
{
    QString out;
    if (!attribute.text)
        return out;
    for (unsigned i = 0; attribute.substr_offsets[i] < attribute.size; ++i) {
        const MD_OFFSET begin = attribute.substr_offsets[i];
        const MD_OFFSET end = attribute.substr_offsets[i + 1];
        const QString piece = QString::fromUtf8(attribute.text + begin, qsizetype(end - begin));
        switch (attribute.substr_types[i]) {
        case MD_TEXT_ENTITY: out += decodeEntity(piece); break;
        case MD_TEXT_NULLCHAR: out += QChar(u'\uFFFD'); break;
        default: out += piece;
        }
    }
    return out;
}

} // namespace vexa::answer
