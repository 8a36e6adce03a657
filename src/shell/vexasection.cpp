#include "vexasection.h"

namespace vexa {

namespace {

struct SectionText {
    VexaSection section;
    const char *title;
    const char *dockLabel;
    const char *symbol;
};

const SectionText kSections[] = {
    {VexaSection::Chat, "Чат", "Чат", "bubble.left.and.bubble.right.fill"},
    {VexaSection::Code, "Vexa Code", "Vexa Code", "chevron.left.forwardslash.chevron.right"},
    {VexaSection::Images, "Изображения", "Изображения", "sparkles.rectangle.stack.fill"},
    {VexaSection::Tools, "Инструменты", "Инструменты", "wand.and.stars"},
    {VexaSection::Workspace, "Пространство", "Работа", "folder.fill"},
    {VexaSection::Community, "Сообщество", "Сообщество", "person.3.fill"},
    {VexaSection::Plans, "Тарифы", "Тарифы", "crown.fill"},
    {VexaSection::Profile, "Профиль", "Профиль", "person.crop.circle.fill"},
};

const SectionText &textOf(VexaSection section)
{
    for (const SectionText &text : kSections) {
        if (text.section == section)
            return text;
    }
    Q_UNREACHABLE();
}

} // namespace

QString sectionTitle(VexaSection section)
{
    return QString::fromUtf8(textOf(section).title);
}

QString sectionDockLabel(VexaSection section)
{
    return QString::fromUtf8(textOf(section).dockLabel);
}

QString sectionSymbol(VexaSection section)
{
    return QString::fromLatin1(textOf(section).symbol);
}

QList<VexaSection> allSections()
{
    QList<VexaSection> all;
    for (const SectionText &text : kSections)
        all.append(text.section);
    return all;
}

QList<VexaSection> sidebarSections()
{
    return {VexaSection::Chat,      VexaSection::Code,     VexaSection::Images,
            VexaSection::Tools,     VexaSection::Workspace, VexaSection::Community};
}

QList<VexaSection> dockSections()
{
    return {VexaSection::Chat, VexaSection::Images, VexaSection::Workspace, VexaSection::Profile};
}

QList<VexaSection> filterSections(const QString &query, const QLocale &locale)
{
    if (query.isEmpty())
        return allSections();
    // Case folding through the locale: the same rules the user's keyboard language implies
    // (e.g. the dotted and dotless i of Turkish), then a plain substring search.
    const QString needle = locale.toLower(query);
    QList<VexaSection> found;
    for (const VexaSection section : allSections()) {
        if (locale.toLower(sectionTitle(section)).contains(needle))
            found.append(section);
    }
    return found;
}

} // namespace vexa
