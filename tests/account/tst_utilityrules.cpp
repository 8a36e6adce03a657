// The productivity sheet's rules: request paths (full query encoding, chat ids), how reply rows
// are read in each section and which actions they offer, and the service's reminder times.

#include "productivity.h"
#include "utilityrowmodel.h"
#include "utilityrules.h"

#include <QJsonDocument>
#include <QSignalSpy>
#include <QTest>

using namespace vexa;
using namespace vexa::utility;

namespace {

QJsonObject object(const QByteArray &json)
{
    return QJsonDocument::fromJson(json).object();
}

} // namespace

class UtilityRulesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void searchPaths_data();
    void searchPaths();
    void minimumQuery_data();
    void minimumQuery();
    void exportPaths_data();
    void exportPaths();
    void chatIds_data();
    void chatIds();
    void titlesAndDetails_data();
    void titlesAndDetails();
    void rowActions_data();
    void rowActions();
    void links_data();
    void links();
    void rowsUpdatedInPlace_data();
    void rowsUpdatedInPlace();
    void reminderTimes_data();
    void reminderTimes();
};

void UtilityRulesTest::searchPaths_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("path");
    QTest::newRow("separators and plus") << "C++ & C=1" << "/api/productivity/search?q=C%2B%2B%20%26%20C%3D1";
    QTest::newRow("fragment and percent") << "50% #1" << "/api/productivity/search?q=50%25%20%231";
    QTest::newRow("Cyrillic as UTF-8") << "кот" << "/api/productivity/search?q=%D0%BA%D0%BE%D1%82";
    QTest::newRow("a path cannot be smuggled in") << "../state?x" << "/api/productivity/search?q=..%2Fstate%3Fx";
}

void UtilityRulesTest::searchPaths()
{
    QFETCH(QString, query);
    QFETCH(QString, path);
    QCOMPARE(searchPath(query), path);
}

void UtilityRulesTest::minimumQuery_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<bool>("searchable");
    QTest::newRow("empty") << "" << false;
    QTest::newRow("one letter") << "к" << false;
    QTest::newRow("two letters") << "ко" << true;
    QTest::newRow("one emoji is one character") << "😀" << false;
    QTest::newRow("spaces around one letter") << "  к " << false;
    QTest::newRow("two emoji") << "😀😀" << true;
}

void UtilityRulesTest::minimumQuery()
{
    QFETCH(QString, query);
    QFETCH(bool, searchable);
    QCOMPARE(isSearchable(query), searchable);
}

void UtilityRulesTest::exportPaths_data()
{
    QTest::addColumn<QString>("chat");
    QTest::addColumn<QString>("path");
    QTest::newRow("no active chat: every chat") << "" << "/api/productivity/export";
    QTest::newRow("numeric id") << "1234567890123" << "/api/productivity/export?chat_ids=1234567890123";
    QTest::newRow("id with separators is encoded") << "a&b=c" << "/api/productivity/export?chat_ids=a%26b%3Dc";
}

void UtilityRulesTest::exportPaths()
{
    QFETCH(QString, chat);
    QFETCH(QString, path);
    QCOMPARE(exportPath(chat), path);
}

void UtilityRulesTest::chatIds_data()
{
    QTest::addColumn<QByteArray>("row");
    QTest::addColumn<QString>("id"); // empty: no "Открыть диалог"
    QTest::newRow("small") << QByteArray(R"({"chat_id":7})") << "7";
    QTest::newRow("large, never with an exponent") << QByteArray(R"({"chat_id":1234567890123})") << "1234567890123";
    QTest::newRow("written with an exponent") << QByteArray(R"({"chat_id":1e15})") << "1000000000000000";
    QTest::newRow("integral double") << QByteArray(R"({"chat_id":42.0})") << "42";
    QTest::newRow("fraction is no id") << QByteArray(R"({"chat_id":2.5})") << "";
    QTest::newRow("string is no number") << QByteArray(R"({"chat_id":"7"})") << "";
    QTest::newRow("absent") << QByteArray(R"({"title":"x"})") << "";
}

void UtilityRulesTest::chatIds()
{
    QFETCH(QByteArray, row);
    QFETCH(QString, id);
    const UtilityRow read = readRow(object(row), searchMode());
    QCOMPARE(read.chatID.value_or(QString()), id);
}

void UtilityRulesTest::titlesAndDetails_data()
{
    QTest::addColumn<QByteArray>("row");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("detail");
    QTest::newRow("title first") << QByteArray(R"({"title":"T","file_name":"F","snippet":"S","body":"B"})") << "T" << "S";
    QTest::newRow("file name second") << QByteArray(R"({"file_name":"F","reminder_text":"R","body":"B"})") << "F" << "B";
    QTest::newRow("reminder text third") << QByteArray(R"({"reminder_text":"R"})") << "R" << "";
    QTest::newRow("none: Vexa AI") << QByteArray(R"({"id":1})") << "Vexa AI" << "";
    QTest::newRow("wrong type counts as absent") << QByteArray(R"({"title":5,"file_name":"F","snippet":[1],"body":"B"})")
                                                 << "F" << "B";
    QTest::newRow("markup stays text") << QByteArray(R"({"title":"<b>x</b>"})") << "<b>x</b>" << "";
}

void UtilityRulesTest::titlesAndDetails()
{
    QFETCH(QByteArray, row);
    QFETCH(QString, title);
    QFETCH(QString, detail);
    const UtilityRow read = readRow(object(row), documentsMode());
    QCOMPARE(read.title, title);
    QCOMPARE(read.detail, detail);
}

void UtilityRulesTest::rowActions_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QByteArray>("row");
    QTest::addColumn<bool>("useDocument");
    QTest::addColumn<bool>("hasDue");
    QTest::addColumn<bool>("canDelete");
    QTest::addColumn<bool>("markRead");

    QTest::newRow("document with integer id") << documentsMode() << QByteArray(R"({"id":101})") << true << false << false << false;
    QTest::newRow("document with string id") << documentsMode() << QByteArray(R"({"id":"101"})") << false << false << false << false;
    QTest::newRow("document with fractional id") << documentsMode() << QByteArray(R"({"id":1.5})") << false << false << false << false;
    QTest::newRow("reminder with id and time") << remindersMode() << QByteArray(R"({"id":201,"due_at":1765000000.5})") << false << true << true << false;
    QTest::newRow("reminder with string id") << remindersMode() << QByteArray(R"({"id":"r-1","due_at":1765000000})") << false << true << true << false;
    QTest::newRow("reminder without id: no delete (would send 0)") << remindersMode() << QByteArray(R"({"due_at":1765000000})") << false << true << false << false;
    QTest::newRow("reminder with null id") << remindersMode() << QByteArray(R"({"id":null,"due_at":1765000000})") << false << true << false << false;
    QTest::newRow("reminder without time") << remindersMode() << QByteArray(R"({"id":201,"due_at":"завтра"})") << false << false << false << false;
    QTest::newRow("notice with string id") << noticesMode() << QByteArray(R"({"id":"n1"})") << false << false << false << true;
    QTest::newRow("notice with numeric id") << noticesMode() << QByteArray(R"({"id":1})") << false << false << false << false;
    QTest::newRow("ids mean nothing in search") << searchMode() << QByteArray(R"({"id":1,"due_at":1})") << false << false << false << false;
}

void UtilityRulesTest::rowActions()
{
    QFETCH(QString, mode);
    QFETCH(QByteArray, row);
    QFETCH(bool, useDocument);
    QFETCH(bool, hasDue);
    QFETCH(bool, canDelete);
    QFETCH(bool, markRead);
    const UtilityRow read = readRow(object(row), mode);
    QCOMPARE(read.documentID.has_value(), useDocument);
    QCOMPARE(read.due.has_value(), hasDue);
    QCOMPARE(read.canDelete(), canDelete);
    QCOMPARE(read.noticeID.has_value(), markRead);
}

void UtilityRulesTest::links_data()
{
    QTest::addColumn<QByteArray>("row");
    QTest::addColumn<QString>("link");
    QTest::addColumn<bool>("promo");
    QTest::newRow("https") << QByteArray(R"({"id":"n","url":"https://vexa.ai/news"})") << "https://vexa.ai/news" << false;
    QTest::newRow("http") << QByteArray(R"({"id":"n","url":"http://vexa.ai/news"})") << "" << false;
    QTest::newRow("javascript") << QByteArray(R"j({"id":"n","url":"javascript:alert(1)"})j") << "" << false;
    QTest::newRow("file") << QByteArray(R"({"id":"n","url":"file:///etc/passwd"})") << "" << false;
    QTest::newRow("no scheme") << QByteArray(R"({"id":"n","url":"vexa.ai/news"})") << "" << false;
    QTest::newRow("https without host") << QByteArray(R"({"id":"n","url":"https:news"})") << "" << false;
    QTest::newRow("promo kind") << QByteArray(R"({"id":"n","kind":"promo"})") << "" << true;
    QTest::newRow("link on a notice without string id") << QByteArray(R"({"id":3,"url":"https://vexa.ai"})") << "" << false;
}

void UtilityRulesTest::links()
{
    QFETCH(QByteArray, row);
    QFETCH(QString, link);
    QFETCH(bool, promo);
    const UtilityRow read = readRow(object(row), noticesMode());
    QCOMPARE(read.link ? read.link->toString() : QString(), link);
    QCOMPARE(read.promo, promo);
}

void UtilityRulesTest::reminderTimes_data()
{
    QTest::addColumn<QString>("when");
    QTest::addColumn<QString>("due"); // UTC, ISO; empty: refused
    // Now: 2026-12-07 10:00 in Moscow (07:00 UTC).
    QTest::newRow("in minutes") << "через 30 минут" << "2026-12-07T07:30:00Z";
    QTest::newRow("in hours") << "Через 2 часа" << "2026-12-07T09:00:00Z";
    QTest::newRow("tomorrow at") << "завтра в 9:00" << "2026-12-08T06:00:00Z";
    QTest::newRow("later today") << "в 18:30" << "2026-12-07T15:30:00Z";
    QTest::newRow("a bare time that passed means tomorrow") << "8:15" << "2026-12-08T05:15:00Z";
    QTest::newRow("date and time") << "2026-12-24 10:00" << "2026-12-24T07:00:00Z";
    QTest::newRow("past date") << "2025-01-01 10:00" << "";
    QTest::newRow("not a time") << "когда-нибудь" << "";
    QTest::newRow("impossible hour") << "в 25:00" << "";
}

void UtilityRulesTest::reminderTimes()
{
    QFETCH(QString, when);
    QFETCH(QString, due);
    const QDateTime now = QDateTime::fromString(QStringLiteral("2026-12-07T07:00:00Z"), Qt::ISODate);
    const auto parsed = service::Productivity::parseWhen(when, now);
    QCOMPARE(parsed ? parsed->toUTC().toString(Qt::ISODate) : QString(), due);
}

namespace {
// Reminder rows "id:title" (a bare title has no id, so its title keys it).
QList<UtilityRow> reminderRows(const QStringList &rows)
{
    QList<UtilityRow> out;
    for (const QString &text : rows) {
        QJsonObject item{{QStringLiteral("due_at"), 1900000000}};
        const QStringList parts = text.split(QLatin1Char(':'));
        if (parts.size() == 2) {
            item.insert(QStringLiteral("id"), parts[0].toInt());
            item.insert(QStringLiteral("reminder_text"), parts[1]);
        } else {
            item.insert(QStringLiteral("reminder_text"), text);
        }
        out.append(readRow(item, remindersMode()));
    }
    return out;
}
} // namespace

void UtilityRulesTest::rowsUpdatedInPlace_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("removed");
    QTest::addColumn<int>("inserted");
    QTest::addColumn<int>("changed");
    QTest::addColumn<bool>("reset");

    const auto rows = [](const char *list) { return QString::fromUtf8(list).split(QLatin1Char(',')); };
    QTest::newRow("the same reply") << rows("1:а,2:б,3:в") << rows("1:а,2:б,3:в") << 0 << 0 << 0 << false;
    QTest::newRow("a middle row deleted") << rows("1:а,2:б,3:в") << rows("1:а,3:в") << 1 << 0 << 0 << false;
    QTest::newRow("first and last gone") << rows("1:а,2:б,3:в") << rows("2:б") << 2 << 0 << 0 << false;
    QTest::newRow("one added between") << rows("1:а,3:в") << rows("1:а,2:б,3:в") << 0 << 1 << 0 << false;
    QTest::newRow("a text changed, same id") << rows("1:а,2:б") << rows("1:а,2:бб") << 0 << 0 << 1 << false;
    QTest::newRow("one gone, one new") << rows("1:а,2:б") << rows("2:б,4:г") << 1 << 1 << 0 << false;
    QTest::newRow("rows without ids, twins kept apart")
        << rows("а,а,б") << rows("а,б") << 1 << 0 << 0 << false;
    QTest::newRow("an id that reads like a title is still an id")
        << rows("7:а,а") << rows("а") << 1 << 0 << 0 << false;
    QTest::newRow("reordered") << rows("1:а,2:б") << rows("2:б,1:а") << 0 << 0 << 0 << true;
}

void UtilityRulesTest::rowsUpdatedInPlace()
{
    QFETCH(QStringList, before);
    QFETCH(QStringList, after);
    UtilityRowModel model;
    model.setRows(reminderRows(before));
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    model.setRows(reminderRows(after));

    QTEST(int(removed.size()), "removed");
    QTEST(int(inserted.size()), "inserted");
    QTEST(int(changed.size()), "changed");
    QTEST(!reset.isEmpty(), "reset");
    QVERIFY(model.rows() == reminderRows(after));
}

QTEST_MAIN(UtilityRulesTest)
#include "tst_utilityrules.moc"
