// The open file and the disk: reading it into the editor, and what happens when it is changed or
// deleted outside the app while open. The rule: the editor's text is never dropped unless the
// user chooses to reload; the app's own saves are not changes from outside (CodeFileWatch).

#include "codeprojectstore.h"

#include "codefiletext.h"
#include "codetexts.h"

#include <QFile>
#include <QTextDocument>

namespace vexa {

using namespace codefile;

const QString &CodeProjectStore::editorText() const
{
    if (m_editorEdited) {
        m_editorEdited = false;
        if (QTextDocument *document = m_editorDocument)
            m_editorText = documentText(*document);
    }
    return m_editorText;
}

void CodeProjectStore::setEditorDocument(QTextDocument *document)
{
    if (m_editorDocument == document)
        return;
    // The edits made in the document that goes are taken first.
    editorText();
    m_editorDocument = document;
    Q_EMIT editorDocumentChanged();
}

void CodeProjectStore::editorEdited()
{
    const bool first = !m_editorEdited;
    m_editorEdited = true;
    m_editsPause.start();
    if (first)
        Q_EMIT modifiedChanged();
}

namespace {

// The text with every line longer than `longest` cut at `shown` characters (" …" after it), or
// nothing when no line is that long.
std::optional<QString> withLongLinesCut(const QString &text, qsizetype longest, qsizetype shown)
{
    std::optional<QString> cut;
    qsizetype from = 0;
    while (from <= text.size()) {
        qsizetype to = text.indexOf(u'\n', from);
        if (to < 0)
            to = text.size();
        if (to - from > longest && !cut) {
            cut = text.left(from);
            cut->reserve(text.size());
        }
        if (cut) {
            const QStringView line = QStringView(text).sliced(from, to - from);
            if (line.size() > longest) {
                *cut += line.first(shown);
                *cut += QStringLiteral(" …");
            } else {
                *cut += line;
            }
            if (to < text.size())
                *cut += u'\n';
        }
        from = to + 1;
    }
    return cut;
}

} // namespace

QString CodeProjectStore::readOnlyReason() const
{
    if (!m_openFileReadOnly)
        return {};
    return m_openFileLinesCut ? codetexts::longLinesReadOnly() : codetexts::largeFileReadOnly();
}

QString CodeProjectStore::shownText(const QString &text) const
{
    if (!m_openFileLinesCut)
        return text;
    return withLongLinesCut(text, kEditableLineChars, kShownLineChars).value_or(text);
}

bool CodeProjectStore::readOpenFile()
{
    QFile file(m_openFilePath);
    std::optional<QString> text;
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly)) {
        bytes = file.readAll();
        text = decodeUtf8(bytes);
    }
    if (!text) {
        setNotice(codetexts::notUtf8Text());
        return false;
    }
    QString shown = withNewlines(*text);
    const std::optional<QString> cut = withLongLinesCut(shown, kEditableLineChars, kShownLineChars);
    m_openFileLinesCut = cut.has_value();
    m_openFileReadOnly = file.size() > kEditableFileBytes || m_openFileLinesCut;
    if (cut)
        shown = *cut;
    m_openFileLineEnding = lineEndingOf(*text);
    m_openFileMissing = false;
    m_watch.watch(m_openFilePath, bytes);
    setDiskChange(DiskChange::None);
    setOpenFileText(shown);
    setEditorText(m_openFileText);
    return true;
}

void CodeProjectStore::onChangedOnDisk(const QByteArray &bytes)
{
    if (!m_selectedFile || m_openFilePath.isEmpty())
        return;
    const std::optional<QString> text = decodeUtf8(bytes);
    // Compared as the editor would show it (long lines cut, when the open file's are).
    const QString diskText = text ? shownText(withNewlines(*text)) : QString();
    if (text && diskText == editorText()) {
        // The disk now holds what the editor shows (the file came back as it was, or was saved
        // with this very text elsewhere): nothing to choose.
        m_openFileMissing = false;
        m_openFileLineEnding = lineEndingOf(*text);
        setDiskChange(DiskChange::None);
        setOpenFileText(diskText);
        return;
    }
    m_diskText = diskText;
    m_openFileMissing = false;
    setDiskChange(DiskChange::Changed);
    Q_EMIT modifiedChanged();
}

void CodeProjectStore::onDeletedOnDisk()
{
    if (!m_selectedFile || m_openFileMissing)
        return;
    m_openFileMissing = true;
    setDiskChange(DiskChange::Deleted);
    Q_EMIT modifiedChanged();
}

void CodeProjectStore::reloadFromDisk()
{
    if (!m_selectedFile || m_openFilePath.isEmpty() || m_diskChange != DiskChange::Changed)
        return;
    if (readOpenFile())
        setNotice(std::nullopt);
}

void CodeProjectStore::keepEditorText()
{
    if (m_diskChange == DiskChange::Changed) {
        // The text on disk is what the editor's now differs from: a later save writes ours.
        setOpenFileText(m_diskText);
    }
    m_diskText.clear();
    setDiskChange(DiskChange::None);
}

void CodeProjectStore::setDiskChange(DiskChange change)
{
    if (m_diskChange == change)
        return;
    m_diskChange = change;
    Q_EMIT diskChangeChanged();
}

} // namespace vexa
