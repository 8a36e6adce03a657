#include "shortcuttable.h"

#include <QKeySequence>
#include <QLoggingCategory>

namespace vexa {

Q_LOGGING_CATEGORY(lcShortcuts, "vexa.shortcuts", QtWarningMsg)

namespace {

using Kind = ShortcutRow::Kind;

QList<ShortcutRow> makeTable()
{
    const QString everywhere = QStringLiteral("Везде");
    const QString chat = QStringLiteral("Чат");
    const QString messages = QStringLiteral("Сообщения чата");
    const QString code = QStringLiteral("Vexa Code");
    const QString editor = QStringLiteral("Редактор кода");
    const QString voice = QStringLiteral("Голосовой разговор");
    const QString pages = QStringLiteral("Другие экраны");
    auto keys = [](std::initializer_list<const char *> list) {
        QStringList out;
        for (const char *key : list)
            out.append(QString::fromLatin1(key));
        return out;
    };
    return {
        {QStringLiteral("app.sections"), keys({"Ctrl+K"}), everywhere,
         QStringLiteral("Открыть разделы Vexa"), Kind::Shortcut},
        {QStringLiteral("app.shortcuts"), keys({"Ctrl+/"}), everywhere,
         QStringLiteral("Сочетания клавиш (в редакторе кода — комментарий)"), Kind::Shortcut},
        {QStringLiteral("app.about"), keys({"F1"}), everywhere,
         QStringLiteral("О приложении"), Kind::Shortcut},
        {QStringLiteral("app.close"), keys({"Esc"}), everywhere,
         QStringLiteral("Закрыть окно, лист или предупреждение"), Kind::Handled},
        {QStringLiteral("app.activate"), keys({"Enter", "Space"}), everywhere,
         QStringLiteral("Нажать кнопку или открыть строку с фокусом"), Kind::Handled},
        {QStringLiteral("app.focus"), keys({"Tab", "Shift+Tab"}), everywhere,
         QStringLiteral("Следующий и предыдущий элемент"), Kind::Handled},
        {QStringLiteral("app.rows"), keys({"Up", "Down"}), everywhere,
         QStringLiteral("Предыдущая и следующая строка списка"), Kind::Handled},

        {QStringLiteral("chat.send"), keys({"Enter"}), chat,
         QStringLiteral("Отправить сообщение"), Kind::Handled},
        {QStringLiteral("chat.newLine"), keys({"Shift+Enter"}), chat,
         QStringLiteral("Новая строка в сообщении"), Kind::Handled},
        {QStringLiteral("chat.paste"), keys({"Ctrl+V"}), chat,
         QStringLiteral("Вставить текст, фото или файл"), Kind::Handled},
        {QStringLiteral("chat.new"), keys({"Ctrl+N"}), chat, QStringLiteral("Новый чат"),
         Kind::Shortcut},
        {QStringLiteral("chat.find"), keys({"Ctrl+F"}), chat, QStringLiteral("Поиск по чату"),
         Kind::Shortcut},
        {QStringLiteral("chat.closeFind"), keys({"Esc"}), chat, QStringLiteral("Закрыть поиск"),
         Kind::Shortcut},
        {QStringLiteral("chat.zoomIn"), keys({"Ctrl+=", "Ctrl++"}), chat,
         QStringLiteral("Крупнее текст"), Kind::Shortcut},
        {QStringLiteral("chat.zoomOut"), keys({"Ctrl+-"}), chat, QStringLiteral("Мельче текст"),
         Kind::Shortcut},
        {QStringLiteral("chat.zoomReset"), keys({"Ctrl+0"}), chat,
         QStringLiteral("Обычный размер текста"), Kind::Shortcut},

        {QStringLiteral("messages.step"), keys({"Up", "Down"}), messages,
         QStringLiteral("Предыдущее и следующее сообщение"), Kind::Handled},
        {QStringLiteral("messages.ends"), keys({"Home", "End"}), messages,
         QStringLiteral("Первое и последнее сообщение"), Kind::Handled},
        {QStringLiteral("messages.page"), keys({"PgUp", "PgDown"}), messages,
         QStringLiteral("Страница вверх и вниз"), Kind::Handled},
        {QStringLiteral("messages.menu"), keys({"Menu", "Shift+F10"}), messages,
         QStringLiteral("Меню сообщения"), Kind::Handled},
        {QStringLiteral("messages.copy"), keys({"Ctrl+C"}), messages,
         QStringLiteral("Копировать сообщение (Markdown)"), Kind::Handled},
        {QStringLiteral("messages.copyCode"), keys({"Ctrl+Shift+C"}), messages,
         QStringLiteral("Копировать код или таблицы сообщения"), Kind::Handled},
        {QStringLiteral("messages.openImage"), keys({"Enter"}), messages,
         QStringLiteral("Открыть картинку сообщения"), Kind::Handled},

        {QStringLiteral("code.save"), keys({"Ctrl+S"}), code, QStringLiteral("Сохранить файл"),
         Kind::Shortcut},
        {QStringLiteral("code.ask"), keys({"Ctrl+Enter"}), code,
         QStringLiteral("Отправить вопрос ассистенту"), Kind::Handled},

        {QStringLiteral("editor.find"), keys({"Ctrl+F"}), editor, QStringLiteral("Найти в файле"),
         Kind::Handled},
        {QStringLiteral("editor.replace"), keys({"Ctrl+H"}), editor, QStringLiteral("Заменить"),
         Kind::Handled},
        {QStringLiteral("editor.line"), keys({"Ctrl+G"}), editor,
         QStringLiteral("Перейти к строке"), Kind::Handled},
        {QStringLiteral("editor.step"), keys({"F3", "Shift+F3"}), editor,
         QStringLiteral("Следующее и предыдущее совпадение"), Kind::Handled},
        {QStringLiteral("editor.comment"), keys({"Ctrl+/"}), editor,
         QStringLiteral("Закомментировать или раскомментировать строки"), Kind::Handled},
        {QStringLiteral("editor.indent"), keys({"Tab", "Shift+Tab"}), editor,
         QStringLiteral("Отступ выбранных строк вправо и влево"), Kind::Handled},
        {QStringLiteral("editor.newLine"), keys({"Enter"}), editor,
         QStringLiteral("Новая строка с тем же отступом"), Kind::Handled},
        {QStringLiteral("editor.leave"), keys({"Ctrl+Tab", "Esc"}), editor,
         QStringLiteral("Выйти из редактора (после Esc — Tab)"), Kind::Handled},

        {QStringLiteral("voice.interrupt"), keys({"Space"}), voice,
         QStringLiteral("Пока Vexa говорит: прервать ответ и сразу слушать"), Kind::Handled},
        {QStringLiteral("voice.hold"), keys({"Space"}), voice,
         QStringLiteral("Пока слушает: удерживайте и говорите, фраза закончится, когда отпустите"),
         Kind::Handled},

        {QStringLiteral("community.back"), keys({"Esc"}), pages,
         QStringLiteral("Сообщество: вернуться к списку"), Kind::Shortcut},
        {QStringLiteral("community.create"), keys({"Ctrl+Enter"}), pages,
         QStringLiteral("Сообщество: создать тему из окна «Новая тема»"), Kind::Handled},
        {QStringLiteral("community.refresh"), keys({"F5"}), pages,
         QStringLiteral("Сообщество: обновить страницу"), Kind::Shortcut},
        {QStringLiteral("profile.refresh"), keys({"F5"}), pages,
         QStringLiteral("Профиль: обновить"), Kind::Shortcut},
        {QStringLiteral("plans.refresh"), keys({"F5"}), pages,
         QStringLiteral("Тарифы: обновить"), Kind::Shortcut},
        {QStringLiteral("utility.refresh"), keys({"F5"}), pages,
         QStringLiteral("Продуктивность: обновить"), Kind::Shortcut},
        {QStringLiteral("tools.refresh"), keys({"F5"}), pages,
         QStringLiteral("Инструменты: обновить персонажей"), Kind::Shortcut},
        {QStringLiteral("workspace.refresh"), keys({"F5"}), pages,
         QStringLiteral("Рабочее пространство: обновить сохранённые ответы"), Kind::Shortcut},
        {QStringLiteral("voices.refresh"), keys({"F5"}), pages,
         QStringLiteral("Голоса: обновить список"), Kind::Shortcut},
    };
}

} // namespace

const QList<ShortcutRow> &shortcutTable()
{
    static const QList<ShortcutRow> table = makeTable();
    return table;
}

const ShortcutRow *findShortcut(const QString &id)
{
    for (const ShortcutRow &row : shortcutTable()) {
        if (row.id == id)
            return &row;
    }
    return nullptr;
}

QString shortcutKeysText(const ShortcutRow &row)
{
    QStringList shown;
    for (const QString &key : row.keys) {
        // Qt's native text has no names for a few keys worth reading as words.
        if (key == QLatin1String("Space"))
            shown.append(QStringLiteral("Пробел"));
        else
            shown.append(QKeySequence(key).toString(QKeySequence::NativeText));
    }
    return shown.join(QStringLiteral(", "));
}

VexaShortcuts::VexaShortcuts(QObject *parent) : QObject(parent) {}

QStringList VexaShortcuts::keys(const QString &id) const
{
    const ShortcutRow *row = findShortcut(id);
    if (!row) {
        qCWarning(lcShortcuts, "no shortcut \"%s\" in the table", qPrintable(id));
        return {};
    }
    return row->keys;
}

QString VexaShortcuts::keysText(const QString &id) const
{
    const ShortcutRow *row = findShortcut(id);
    if (!row) {
        qCWarning(lcShortcuts, "no shortcut \"%s\" in the table", qPrintable(id));
        return {};
    }
    return shortcutKeysText(*row);
}

bool shortcutMatches(const ShortcutRow &row, const QString &query)
{
    const QString haystack = row.description + u' ' + row.group + u' ' + row.keys.join(u' ')
                             + u' ' + shortcutKeysText(row);
    const QStringList words = query.split(u' ', Qt::SkipEmptyParts);
    for (const QString &word : words) {
        if (!haystack.contains(word, Qt::CaseInsensitive))
            return false;
    }
    return true;
}

ShortcutListModel::ShortcutListModel(QObject *parent) : QAbstractListModel(parent)
{
    for (const ShortcutRow &row : shortcutTable())
        m_rows.append(&row);
}

void ShortcutListModel::setQuery(const QString &query)
{
    if (query == m_query)
        return;
    m_query = query;
    const int before = int(m_rows.size());
    beginResetModel();
    m_rows.clear();
    for (const ShortcutRow &row : shortcutTable()) {
        if (shortcutMatches(row, query))
            m_rows.append(&row);
    }
    endResetModel();
    Q_EMIT queryChanged();
    if (before != m_rows.size())
        Q_EMIT countChanged();
}

int ShortcutListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant ShortcutListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const ShortcutRow &row = *m_rows.at(index.row());
    switch (role) {
    case GroupRole:
        return row.group;
    case DescriptionRole:
    case Qt::DisplayRole:
        return row.description;
    case KeysRole:
        return shortcutKeysText(row);
    default:
        return {};
    }
}

QHash<int, QByteArray> ShortcutListModel::roleNames() const
{
    return {{GroupRole, "group"}, {DescriptionRole, "description"}, {KeysRole, "keys"}};
}

} // namespace vexa
