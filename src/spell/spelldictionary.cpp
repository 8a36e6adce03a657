#include "spelldictionary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <hunspell/hunspell.hxx>

namespace vexa::spell {

namespace {

struct Probe {
    const char16_t *known;    // in every dictionary of the language
    const char16_t *nonsense; // in none
};

Probe probeFor(Language language)
{
    return language == Language::Russian ? Probe{u"дом", u"ывапрол"} : Probe{u"house", u"qzxvbnw"};
}

// A dictionary file worth handing to hunspell: present, readable, not empty, not huge.
QString fileProblem(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("нет файла %1").arg(path);
    if (!info.isFile() || !info.isReadable())
        return QStringLiteral("файл %1 не читается").arg(path);
    if (info.size() == 0 || info.size() > Dictionary::kMaxFileBytes)
        return QStringLiteral("файл %1 повреждён").arg(path);
    return {};
}

} // namespace

QString Dictionary::name(Language language)
{
    return language == Language::Russian ? QStringLiteral("ru_RU") : QStringLiteral("en_US");
}

Dictionary::Files Dictionary::find(const QStringList &dirs, Language language)
{
    const QString base = name(language);
    for (const QString &dir : dirs) {
        const QDir d(dir);
        const QString aff = d.filePath(base + QStringLiteral(".aff"));
        const QString dic = d.filePath(base + QStringLiteral(".dic"));
        if (QFileInfo::exists(aff) && QFileInfo::exists(dic))
            return {aff, dic};
    }
    return {};
}

std::unique_ptr<Dictionary> Dictionary::load(const Files &files, Language language, QString *error)
{
    for (const QString &path : {files.aff, files.dic}) {
        const QString problem = fileProblem(path);
        if (!problem.isEmpty()) {
            *error = problem;
            return nullptr;
        }
    }
    std::unique_ptr<Dictionary> dictionary(new Dictionary);
    dictionary->m_hunspell = std::make_unique<Hunspell>(QFile::encodeName(files.aff).constData(),
                                                        QFile::encodeName(files.dic).constData());
    // Debian's dictionaries have been UTF-8 and KOI8-R over the years; hunspell compares bytes in
    // the dictionary's own encoding.
    const QByteArray encoding = QByteArray::fromStdString(dictionary->m_hunspell->get_dict_encoding());
    dictionary->m_encoder = QStringEncoder(encoding.constData());
    dictionary->m_decoder = QStringDecoder(encoding.constData());
    if (!dictionary->m_encoder.isValid() || !dictionary->m_decoder.isValid()) {
        *error = QStringLiteral("кодировка %1 словаря %2 не поддерживается")
                     .arg(QString::fromLatin1(encoding), files.dic);
        return nullptr;
    }
    const Probe probe = probeFor(language);
    if (!dictionary->check(QString::fromUtf16(probe.known)) || dictionary->check(QString::fromUtf16(probe.nonsense))) {
        *error = QStringLiteral("словарь %1 повреждён").arg(files.dic);
        return nullptr;
    }
    return dictionary;
}

Dictionary::~Dictionary() = default;

bool Dictionary::encode(const QString &word, std::string &out)
{
    m_encoder.resetState();
    const QByteArray bytes = m_encoder.encode(word);
    if (m_encoder.hasError())
        return false;
    out = bytes.toStdString();
    return true;
}

bool Dictionary::checkWhole(const QString &word)
{
    std::string bytes;
    return encode(word, bytes) && m_hunspell->spell(bytes);
}

bool Dictionary::check(const QString &word)
{
    const QString form = lookupForm(word);
    if (checkWhole(form))
        return true;
    if (!form.contains(u'-'))
        return false;
    const QStringList parts = form.split(u'-', Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        if (!checkWhole(part))
            return false;
    }
    return !parts.isEmpty();
}

QStringList Dictionary::suggest(const QString &word, int limit)
{
    std::string bytes;
    if (!encode(lookupForm(word), bytes))
        return {};
    QStringList out;
    for (const std::string &s : m_hunspell->suggest(bytes)) {
        if (out.size() >= limit)
            break;
        m_decoder.resetState();
        const QString text = m_decoder.decode(QByteArrayView(s.data(), qsizetype(s.size())));
        if (!m_decoder.hasError() && !text.isEmpty() && !out.contains(text))
            out.append(text);
    }
    return out;
}

} // namespace vexa::spell
