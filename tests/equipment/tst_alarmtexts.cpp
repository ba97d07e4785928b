// The alarm list built from the alarm words as a board sends them: texts,
// padding, list order, the version rule and the rebuild-on-change rule.
#include "alarmtexts.h"
#include "registerreply.h"

#include <QTranslator>
#include <QtTest>

namespace {
using Registers = QMap<int, int>; // alarm register (1000 to 1009) -> value
// An alarm-words reply stored as the tile stores it, and the list given it.
AlarmList listOf(const Registers& set, int version = 133, AlarmList list = {})
{
    QVector<quint16> w(registerblocks::AlarmWords, 0);
    for (auto it = set.begin(); it != set.end(); ++it)
        w[it.key() - 1000] = static_cast<quint16>(it.value());
    EquipmentRecords rec;
    testsupport::receiveWords(rec, w);
    rec.storeAlarmWords();
    registerblocks::ProtocolFlags f;
    f.applyVersion(static_cast<short>(version));
    list.setWords(rec.alarmWords, f);
    return list;
}
QString line(const QString& text, const char* tag)
{
    return text + QString(50 - text.size(), ' ') + tag;
}
// Gives one alarm text a translation longer than the line's text width.
class LongTranslator : public QTranslator
{
public:
    QString translate(const char* context, const char* source, const char*, int) const override
    {
        return QByteArray(context) == "DialogAlarms" && QByteArray(source) == "Fan failure" ? QString(60, 'F')
                                                                                            : QString();
    }
    bool isEmpty() const override { return false; }
};
} // namespace

class TestAlarmTexts : public QObject
{
    Q_OBJECT
private slots:
    // Bits without a text of their own, a bit below the table; no padding before the hour.
    void texts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("S 0") << AlarmTexts::text(AlarmTexts::S, 0) << "s=0001";
        QTest::newRow("I 31") << AlarmTexts::text(AlarmTexts::I, 31) << "Alarm code 0x80000000";
        QTest::newRow("X 31") << AlarmTexts::text(AlarmTexts::X, 31) << "alarms_3 0x8000";
        QTest::newRow("negative") << AlarmTexts::text(AlarmTexts::X, -1) << "";
        QTest::newRow("date") << AlarmTexts::dateTimeText(QDateTime(QDate(2026, 3, 5), QTime(9, 4, 7)))
                              << "5/3/2026 - 9:04:07";
    }
    void texts()
    {
        QFETCH(QString, text);
        QTEST(text, "expected");
    }
    void listOfReply_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<Registers>("set");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("all zero") << 133 << Registers{} << QStringList{"No alarms!"};
        QTest::newRow("1005 high byte ignored")
            << 133 << Registers{{1005, 0x0100}} << QStringList{"No alarms!"};
        QTest::newRow("1005 low byte") << 133 << Registers{{1005, 0xFF01}}
                                       << QStringList{line("Inverter overtemperature on module 3", "i00")};
        QTest::newRow("register 1000 not read")
            << 133 << Registers{{1000, 0xFFFF}} << QStringList{"No alarms!"};
        QTest::newRow("A high and low")
            << 133 << Registers{{1006, 0x8000}, {1007, 0x0001}}
            << QStringList{line("OVERTEMPERATURE or FAN FAILURE", "a00"), line("OVERLOAD", "a31")};
        QTest::newRow("X from 1009 and 1008")
            << 133 << Registers{{1008, 0x0001}, {1009, 0x0001}}
            << QStringList{line("FAULT 12: CAN TX error", "x00"),
                           line("FAULT 28: High average output voltage", "x16")};
        // Eight words below 133: group X is never read.
        QTest::newRow("version 130 leaves X") << 130 << Registers{{1001, 0x0008}, {1008, 0x0001}}
                                              << QStringList{line("Active DCD on RS232-2", "s03")};
        QTest::newRow("version 125 never reads")
            << 125 << Registers{{1001, 0x0002}, {1007, 0xFFFF}} << QStringList{"No alarms!"};
    }
    void listOfReply()
    {
        QFETCH(int, version);
        QFETCH(Registers, set);
        QTEST(AlarmTexts::lines(registerblocks::alarmGroups(listOf(set, version).words())), "lines");
    }

    // A translation reaches the line, and one of 50 characters or more is not padded.
    void translatedText()
    {
        LongTranslator translator;
        QCoreApplication::installTranslator(&translator);
        const QString line = AlarmTexts::line(AlarmTexts::C, 14);
        QCoreApplication::removeTranslator(&translator);
        QCOMPARE(line, QString(60, 'F') + "c14");
    }

    // A list is built again only when one of the six groups changed (a change in X
    // alone: tst_dialogalarms).
    void rebuildOnlyOnChange_data()
    {
        QTest::addColumn<Registers>("second");
        QTest::addColumn<bool>("rebuilt");
        QTest::newRow("register 1000 only") << Registers{{1000, 7}, {1001, 0x0002}, {1004, 0x0100}} << false;
        QTest::newRow("1005 high byte only")
            << Registers{{1001, 0x0002}, {1004, 0x0100}, {1005, 0x2200}} << false;
        QTest::newRow("all cleared") << Registers{} << true;
    }
    void rebuildOnlyOnChange()
    {
        QFETCH(Registers, second);
        AlarmList list;
        QStringList lines{"untouched"};
        QVERIFY(!list.refresh(&lines)); // zero words: the initial "No alarms!" stays
        list = listOf({{1001, 0x0002}, {1004, 0x0100}}, 133, list);
        QVERIFY(list.refresh(&lines));
        QCOMPARE(lines.size(), 2);
        list = listOf(second, 133, list);
        QStringList again{"untouched"};
        QTEST(list.refresh(&again), "rebuilt");
        if (again != QStringList{"untouched"})
            QCOMPARE(again, AlarmTexts::lines(registerblocks::alarmGroups(list.words())));
        QVERIFY(!list.refresh(&again)); // and not a second time
    }
};

QTEST_GUILESS_MAIN(TestAlarmTexts)
#include "tst_alarmtexts.moc"
