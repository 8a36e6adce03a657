#include "qtrussian.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstring>

namespace vexa {

namespace {

// Texts of Qt Quick's own (non-native) dialogs that Debian's Russian catalogue of Qt 6.4 does not
// translate; their context is the QML file that asks for them.
class DialogTexts final : public QTranslator
{
public:
    using QTranslator::QTranslator;

    QString translate(const char *context, const char *sourceText, const char *, int) const override
    {
        struct Text
        {
            const char *context;
            const char *source;
            const char *russian;
        };
        static constexpr Text texts[] = {
            {"FileDialog", "File name", "Имя файла"},
            {"FileDialog", "Filter", "Фильтр"},
            {"MessageDialog", "Show Details...", "Подробнее…"},
            {"MessageDialog", "Hide Details...", "Скрыть подробности"},
        };
        if (!context || !sourceText)
            return QString();
        for (const Text &text : texts) {
            if (std::strcmp(text.context, context) == 0 && std::strcmp(text.source, sourceText) == 0)
                return QString::fromUtf8(text.russian);
        }
        return QString();
    }
    bool isEmpty() const override { return false; }
};

} // namespace

void installRussianQtTexts()
{
    // Dates and sizes in Qt's dialogs follow the default locale.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));

    // "qt_ru" is only qtbase and qtmultimedia: Qt Quick's catalogue is loaded by itself.
    const QString directory = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    QCoreApplication *app = QCoreApplication::instance();
    for (const char *catalogue : {"qtbase_ru", "qtdeclarative_ru", "qtmultimedia_ru"}) {
        auto *translator = new QTranslator(app);
        if (translator->load(QString::fromLatin1(catalogue), directory))
            QCoreApplication::installTranslator(translator);
        else
            delete translator;
    }
    QCoreApplication::installTranslator(new DialogTexts(app));
}

} // namespace vexa
