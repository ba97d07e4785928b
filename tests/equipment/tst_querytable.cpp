// The query table: reply lengths, next states and the requests of the writes,
// for the branches and version bounds a board's cycle does not walk in
// tst_equipmentlink (the plain cycles and writes are checked there against
// plantsim).
#include "querytable.h"

#include <QtTest>

using namespace querytable;

class TestQueryTable : public QObject
{
    Q_OBJECT
private slots:
    void table_data()
    {
        QTest::addColumn<bool>("zeta");
        QTest::addColumn<bool>("stringBox");
        QTest::addColumn<int>("version"); // 0: not read yet
        QTest::addColumn<bool>("legacy");
        QTest::addColumn<QueryState>("state");
        QTest::addColumn<int>("status"); // status word, host order
        QTest::addColumn<int>("length");
        QTest::addColumn<QueryState>("next");
        const auto row = [](const char* name, bool zeta, bool stringBox, int version, bool legacy,
                            QueryState state, int status, int length, QueryState next) {
            QTest::newRow(name) << zeta << stringBox << version << legacy << state << status << length
                                << next;
        };
        const int meter = registerblocks::StatusSelfConsumption,
                  typeAgain = registerblocks::StatusReadTypeAgain;
        row("identity without power", false, false, 133, false, Identity, 0, 73, Identity);
        row("version zeta legacy", true, false, 0, true, Version, 0, 11, TypeBlock);
        row("type zeta", true, false, 100, false, TypeBlock, 0, 231, DailyValues);
        row("measures 40", false, false, 125, false, Measures, meter, 89, Status);
        row("measures 130 meter", false, false, 130, false, Measures, meter, 93, Status);
        row("measures 133 meter", false, false, 133, false, Measures, meter, 93, HouseLoad);
        row("measures zeta meter", true, false, 100, false, Measures, meter, 89, HouseLoad);
        row("measures zeta legacy meter", true, false, 0, true, Measures, meter, 71, Status);
        row("status legacy, type again", false, false, 100, true, Status, typeAgain, 13, TypeBlock);
        row("status no alarms", false, false, 125, false, Status, 0, 15, Measures);
        row("status, alarms", false, false, 126, false, Status, 0, 15, AlarmWordsRead);
        row("alarms 8", false, false, 126, false, AlarmWordsRead, 0, 25, Measures);
        row("alarms 10", false, false, 133, false, AlarmWordsRead, 0, 29, Measures);
        row("params read 7", false, false, 133, false, ParametersRead, 0, 23, Measures);
        row("params read 8", false, false, 150, false, ParametersRead, 0, 25, Measures);
        row("update string box", false, true, 0, true, UpdateAvailable, 0, 12, StringBoxBlock);
        row("update inverter", false, false, 150, false, UpdateAvailable, 0, 12, Measures);
        row("time sync resumes", false, false, 133, false, TimeSync, 0, 12, AlarmWordsRead);
    }
    void table()
    {
        QFETCH(bool, zeta);
        QFETCH(bool, stringBox);
        QFETCH(int, version);
        QFETCH(bool, legacy);
        QFETCH(QueryState, state);
        QFETCH(int, status);
        LinkContext c;
        c.zeta = zeta;
        c.stringBox = stringBox;
        c.version = static_cast<short>(version);
        if (version)
            c.flags.applyVersion(c.version);
        c.flags.legacy = legacy; // a Zeta takes it from its announced version
        c.savedState = AlarmWordsRead;
        c.statusWord = static_cast<unsigned short>(status);
        QTEST(expectedLength(state, c), "length");
        QTEST(nextState(state, c), "next");
    }

    // The writes carry the parameter block as stored (wire order).
    void writeRequests_data()
    {
        QTest::addColumn<QueryState>("state");
        QTest::addColumn<bool>("longParameters");
        QTest::addColumn<QByteArray>("frame"); // hex
        QTest::newRow("seven registers")
            << ParametersWrite << false
            << QByteArray("000100000015ff10008c00070e0001000200030004000500060007");
        QTest::newRow("update") << UpdateAvailable << false << QByteArray("000100000006ff060070003c");
    }
    void writeRequests()
    {
        QFETCH(QueryState, state);
        QFETCH(bool, longParameters);
        const unsigned char wire[16] = {0, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 7, 0, 8};
        LinkContext c;
        c.flags.longParameters = longParameters;
        c.parameterWrite = reinterpret_cast<const unsigned short*>(wire);
        QTEST(request(state, c).toHex(), "frame");
    }
};

QTEST_APPLESS_MAIN(TestQueryTable)
#include "tst_querytable.moc"
