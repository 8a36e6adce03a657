// The preference objects over one store: numbers kept in their range however they are stored or
// set, one view of the store shared by every instance, and writes that reach the file once they
// settle (a slider's drag is one write), with nothing lost when the last instance goes.

#include "awaittask.h"
#include "chatpreferences.h"
#include "effectspreferences.h"

#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace vexa;

namespace {

// What the file holds now, read as another process would (QSettings objects of one process
// share what is not written yet, so the file's own lines are read).
QVariant onDisk(const QString &path, const QString &key)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    for (const QString &line : lines) {
        if (line.startsWith(key + u'='))
            return line.mid(key.size() + 1).trimmed();
    }
    return {};
}

} // namespace

class PreferencesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void storedTextSizeIsKeptInRange_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<double>("read");
        QTest::newRow("unset") << QVariant() << 17.0;
        QTest::newRow("in range") << QVariant(QStringLiteral("20.5")) << 20.5;
        QTest::newRow("too large, hand-edited") << QVariant(QStringLiteral("300")) << 24.0;
        QTest::newRow("too small") << QVariant(QStringLiteral("2")) << 14.0;
        QTest::newRow("not a number") << QVariant(QStringLiteral("big")) << 17.0;
        QTest::newRow("infinite") << QVariant(QStringLiteral("inf")) << 17.0;
        QTest::newRow("not a number, spelled so") << QVariant(QStringLiteral("nan")) << 17.0;
    }
    void storedTextSizeIsKeptInRange()
    {
        QFETCH(QVariant, stored);
        QFETCH(double, read);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("prefs.ini"));
        if (stored.isValid()) {
            QSettings file(path, QSettings::IniFormat);
            file.setValue(ChatPreferences::kTextSizeKey, stored);
        }
        QCOMPARE(ChatPreferences(path).textSize(), read);
    }

    void setTextSizeIsKeptInRange_data()
    {
        QTest::addColumn<double>("set");
        QTest::addColumn<double>("read");
        QTest::addColumn<int>("announced");
        QTest::newRow("in range") << 21.0 << 21.0 << 1;
        QTest::newRow("above") << 40.0 << 24.0 << 1;
        QTest::newRow("below") << 1.0 << 14.0 << 1;
        QTest::newRow("not a number") << std::nan("") << 17.0 << 0;
        QTest::newRow("infinite") << HUGE_VAL << 17.0 << 0;
        QTest::newRow("the same") << 17.0 << 17.0 << 0;
    }
    void setTextSizeIsKeptInRange()
    {
        QFETCH(double, set);
        QFETCH(double, read);
        QFETCH(int, announced);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("prefs.ini"));
        ChatPreferences writer(path);
        ChatPreferences reader(path);
        QSignalSpy changed(&reader, &ChatPreferences::textSizeChanged);
        writer.setTextSize(set);
        QCOMPARE(reader.textSize(), read);
        QCOMPARE(changed.count(), announced);
        writer.flush();
        if (announced > 0)
            QCOMPARE(onDisk(path, ChatPreferences::kTextSizeKey).toDouble(), read);
        else
            QVERIFY(!onDisk(path, ChatPreferences::kTextSizeKey).isValid());
    }

    // A drag's steps: each is read and announced at once; the file is written once, after the
    // last, with the last.
    void dragWritesOnceWhenItSettles_data()
    {
        QTest::addColumn<QList<double>>("steps");
        QTest::addColumn<int>("writes");
        QTest::addColumn<double>("final");
        QTest::newRow("one step") << QList<double>{18} << 1 << 18.0;
        QTest::newRow("a drag up") << QList<double>{17.5, 18, 18.5, 19, 19.5, 20, 20.5, 21} << 1 << 21.0;
        QTest::newRow("there and back") << QList<double>{19, 21, 19, 17} << 1 << 17.0;
        QTest::newRow("past the end") << QList<double>{23, 24, 25, 26} << 1 << 24.0;
    }
    void dragWritesOnceWhenItSettles()
    {
        QFETCH(QList<double>, steps);
        QFETCH(int, writes);
        QFETCH(double, final);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("prefs.ini"));
        ChatPreferences slider(path);
        ChatPreferences view(path);
        QSignalSpy saved(&slider, &ChatPreferences::saved);
        QSignalSpy changed(&view, &ChatPreferences::textSizeChanged);
        for (double step : steps) {
            slider.setTextSize(step);
            QCOMPARE(view.textSize(), std::clamp(step, 14.0, 24.0));
        }
        QVERIFY(changed.count() >= 1);
        QCOMPARE(saved.count(), 0); // nothing written during the drag
        QVERIFY(!onDisk(path, ChatPreferences::kTextSizeKey).isValid());
        QVERIFY(saved.wait(vexa::test::scaledMs(5000)));
        QTest::qWait(vexa::test::scaledMs(2 * PreferenceStore::kSettleMs));
        QCOMPARE(saved.count(), writes);
        QCOMPARE(onDisk(path, ChatPreferences::kTextSizeKey).toDouble(), final);
    }

    // What is still waiting is written when the last instance over the store goes (the app
    // quits right after a change).
    void lastInstanceWritesWhatWaits_data()
    {
        QTest::addColumn<bool>("reduce");
        QTest::newRow("effects on") << false;
        QTest::newRow("effects off") << true;
    }
    void lastInstanceWritesWhatWaits()
    {
        QFETCH(bool, reduce);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("prefs.ini"));
        {
            EffectsPreferences first(path);
            EffectsPreferences second(path);
            QSignalSpy announced(&second, &EffectsPreferences::reduceEffectsChanged);
            first.setReduceEffects(!reduce);
            first.setReduceEffects(reduce);
            QCOMPARE(second.reduceEffects(), reduce);
            QCOMPARE(announced.count(), reduce ? 2 : 1); // unset reads as reduced
        }
        QCOMPARE(onDisk(path, EffectsPreferences::kReduceEffectsKey).toString(),
                 reduce ? QStringLiteral("true") : QStringLiteral("false"));
        QCOMPARE(EffectsPreferences(path).reduceEffects(), reduce);
    }
};

QTEST_GUILESS_MAIN(PreferencesTest)
#include "tst_preferences.moc"
