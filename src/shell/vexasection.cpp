#include "vexasection.h"

namespace vexa {

namespace {

struct SectionText {
    VexaSection section;
    const char *title;
    const char *dockLabel;
    const char *symbol;
    // The screen's QML document. By address rather than by type: a type named in the window's
    // documents is compiled, with everything it uses, when the window loads; by address only the
    // screen shown is compiled, when it is first shown.
    const char *document;
};

const SectionText kSections[] = {
    {VexaSection::Chat, "Чат", "Чат", "bubble.left.and.bubble.right.fill", "qrc:/qt/qml/VexaAI/Chat/ChatView.qml"},
    {VexaSection::Code, "Vexa Code", "Vexa Code", "chevron.left.forwardslash.chevron.right", "qrc:/qt/qml/VexaAI/Code/CodeWorkspaceView.qml"},
    {VexaSection::Images, "Изображения", "Изображения", "sparkles.rectangle.stack.fill", "qrc:/qt/qml/VexaAI/Account/ImagesView.qml"},
    {VexaSection::Tools, "Инструменты", "Инструменты", "wand.and.stars", "qrc:/qt/qml/VexaAI/Content/ToolsView.qml"},
    {VexaSection::Workspace, "Пространство", "Работа", "folder.fill", "qrc:/qt/qml/VexaAI/Content/WorkspaceView.qml"},
    {VexaSection::Community, "Сообщество", "Сообщество", "person.3.fill", "qrc:/qt/qml/VexaAI/Content/CommunityView.qml"},
    {VexaSection::Plans, "Тарифы", "Тарифы", "crown.fill", "qrc:/qt/qml/VexaAI/Account/PlansView.qml"},
    {VexaSection::Profile, "Профиль", "Профиль", "person.crop.circle.fill", "qrc:/qt/qml/VexaAI/Account/ProfileView.qml"},
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

QString sectionDocument(VexaSection section)
{
    return QString::fromLatin1(textOf(section).document);
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
