// The alarm list built from the alarm words as a board sends them: texts by
// group and bit, one line per group with its tag and padding, list order,
// the version rule and the rule that rebuilds the list only when a group
// changed.
#include "alarmtexts.h"
#include "registerreply.h"

#include <QTranslator>
#include <QtTest>

namespace {
// The ten alarm registers 1000 to 1009, given as register -> value.
QVector<quint16> registers(const QMap<int, int>& set)
{
    QVector<quint16> w(registerblocks::AlarmWords, 0);
    for (auto it = set.begin(); it != set.end(); ++it)
        w[it.key() - 1000] = static_cast<quint16>(it.value());
    return w;
}
// An alarm-words reply stored as the tile stores it.
EquipmentRecords stored(const QVector<quint16>& words)
{
    EquipmentRecords rec;
    testsupport::receiveWords(rec, words);
    rec.storeAlarmWords();
    return rec;
}
registerblocks::ProtocolFlags flagsOf(int version)
{
    registerblocks::ProtocolFlags f;
    f.applyVersion(static_cast<short>(version));
    return f;
}
QString blanks(int n)
{
    return QString(n, ' ');
}
using Registers = QMap<int, int>;

// Gives one alarm text a translation longer than the line's text width.
class LongTranslator : public QTranslator
{
public:
    QString translate(const char* context, const char* source, const char*, int) const override
    {
        if (QByteArray(context) == "DialogAlarms" && QByteArray(source) == "Fan failure")
            return QString(60, 'F');
        return QString();
    }
    bool isEmpty() const override { return false; }
};
} // namespace

class TestAlarmTexts : public QObject
{
    Q_OBJECT
private slots:
    // First and last bits of the groups, and a bit below the table.
    void texts_data()
    {
        QTest::addColumn<int>("group");
        QTest::addColumn<int>("bit");
        QTest::addColumn<QString>("text");
        const auto row = [](const char* name, AlarmTexts::Group g, int bit, const char* text) {
            QTest::newRow(name) << int(g) << bit << QString(text);
        };
        row("S 0", AlarmTexts::S, 0, "s=0001");
        row("S 15", AlarmTexts::S, 15, "Output frequency 60Hz");
        row("I 0", AlarmTexts::I, 0, "Inverter overtemperature on module 3");
        row("I 31", AlarmTexts::I, 31, "Alarm code 0x80000000");
        row("C 0", AlarmTexts::C, 0, "Grid Average Voltage HIGH (FAIL 28)");
        row("B 15", AlarmTexts::B, 15, "SWMB, maintenace switch closed");
        row("A 31", AlarmTexts::A, 31, "OVERLOAD");
        row("X 31", AlarmTexts::X, 31, "alarms_3 0x8000");
        row("negative", AlarmTexts::X, -1, "");
    }
    void texts()
    {
        QFETCH(int, group);
        QFETCH(int, bit);
        QTEST(AlarmTexts::text(AlarmTexts::Group(group), bit), "text");
    }
    // The list of a reply, as the alarm window shows it.
    void listOfReply_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<Registers>("set");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("all zero") << 133 << Registers{} << QStringList{"No alarms!"};
        QTest::newRow("I bit 8 from 1004")
            << 133 << Registers{{1004, 0x0001}, {1005, 0x0000}}
            << QStringList{"Inverter Failed or inhibited" + blanks(22) + "i08"};
        QTest::newRow("1005 high byte ignored")
            << 133 << Registers{{1005, 0x0100}} << QStringList{"No alarms!"};
        QTest::newRow("1005 low byte")
            << 133 << Registers{{1005, 0xFF01}}
            << QStringList{"Inverter overtemperature on module 3" + blanks(14) + "i00"};
        QTest::newRow("register 1000 not read")
            << 133 << Registers{{1000, 0xFFFF}} << QStringList{"No alarms!"};
        QTest::newRow("A high and low") << 133 << Registers{{1006, 0x8000}, {1007, 0x0001}}
                                        << QStringList{"OVERTEMPERATURE or FAN FAILURE" + blanks(20) + "a00",
                                                       "OVERLOAD" + blanks(42) + "a31"};
        QTest::newRow("X from 1009 and 1008")
            << 133 << Registers{{1008, 0x0001}, {1009, 0x0001}}
            << QStringList{"FAULT 12: CAN TX error" + blanks(28) + "x00",
                           "FAULT 28: High average output voltage" + blanks(13) + "x16"};
        QTest::newRow("one line per group, S I A B C X")
            << 133 << Registers{{1001, 0x0002}, {1002, 0x4000}, {1003, 0x0001},
                                {1004, 0x0080}, {1006, 0x0001}, {1009, 0x0200}}
            << QStringList{"Active DCD on RS232-1" + blanks(29) + "s01",
                           "Inverter overtemperature on module 2" + blanks(14) + "i15",
                           "PAUSE, WAIT" + blanks(39) + "a16",
                           "Inverter output contactor fail" + blanks(20) + "b00",
                           "Fan failure" + blanks(39) + "c14",
                           "FAULT 37: Anti-island: stoppage." + blanks(18) + "x25"};
        // Eight words below 133: group X is never read.
        QTest::newRow("version 130 leaves X") << 130 << Registers{{1001, 0x0008}, {1008, 0x0001}}
                                              << QStringList{"Active DCD on RS232-2" + blanks(29) + "s03"};
        QTest::newRow("version 125 never reads")
            << 125 << Registers{{1001, 0x0002}, {1007, 0xFFFF}} << QStringList{"No alarms!"};
    }
    void listOfReply()
    {
        QFETCH(int, version);
        QFETCH(Registers, set);
        const EquipmentRecords rec = stored(registers(set));
        AlarmList list;
        list.setWords(rec.alarmWords, flagsOf(version));
        QTEST(AlarmTexts::lines(registerblocks::alarmGroups(list.words())), "lines");
    }

    // A translation reaches the line, and one of 50 characters or more is not padded.
    void translatedTextIsNotPadded()
    {
        LongTranslator translator;
        QCoreApplication::installTranslator(&translator);
        const QString line = AlarmTexts::line(AlarmTexts::C, 14);
        QCoreApplication::removeTranslator(&translator);
        QCOMPARE(line, QString(60, 'F') + "c14");
    }

    // A list is built again only when one of the six groups changed (words
    // unchanged and a change in X only, through the window: tst_dialogalarms).
    void rebuildOnlyOnChange_data()
    {
        QTest::addColumn<Registers>("first");
        QTest::addColumn<Registers>("second");
        QTest::addColumn<bool>("rebuilt");
        const Registers some{{1001, 0x0002}, {1004, 0x0100}};
        QTest::newRow("register 1000 only")
            << some << Registers{{1000, 7}, {1001, 0x0002}, {1004, 0x0100}} << false;
        QTest::newRow("1005 high byte only")
            << some << Registers{{1001, 0x0002}, {1004, 0x0100}, {1005, 0x2200}} << false;
        QTest::newRow("X high only") << some << Registers{{1001, 0x0002}, {1004, 0x0100}, {1009, 0x8000}}
                                     << true;
        QTest::newRow("S cleared") << some << Registers{{1004, 0x0100}} << true;
        QTest::newRow("all cleared") << some << Registers{} << true;
    }
    void rebuildOnlyOnChange()
    {
        QFETCH(Registers, first);
        QFETCH(Registers, second);
        const auto flags = flagsOf(133);
        AlarmList list;
        QStringList lines{"untouched"};
        QVERIFY(!list.refresh(&lines)); // zero words: the initial "No alarms!" stays
        list.setWords(stored(registers(first)).alarmWords, flags);
        QVERIFY(list.refresh(&lines));
        QCOMPARE(lines.size(), 2);
        list.setWords(stored(registers(second)).alarmWords, flags);
        QStringList again{"untouched"};
        QTEST(list.refresh(&again), "rebuilt");
        if (again != QStringList{"untouched"})
            QCOMPARE(again, AlarmTexts::lines(registerblocks::alarmGroups(list.words())));
        QVERIFY(!list.refresh(&again)); // and not a second time
    }

    void dateTime_data()
    {
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QString>("text");
        QTest::newRow("no padding before minutes")
            << QDateTime(QDate(2026, 3, 5), QTime(9, 4, 7)) << "5/3/2026 - 9:04:07";
        QTest::newRow("two digits") << QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59))
                                    << "31/12/2026 - 23:59:59";
    }
    void dateTime()
    {
        QFETCH(QDateTime, when);
        QTEST(AlarmTexts::dateTimeText(when), "text");
    }
};

QTEST_GUILESS_MAIN(TestAlarmTexts)
#include "tst_alarmtexts.moc"
