// The query table: reply lengths, next states and the requests of the writes.
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
        QTest::addColumn<double>("nominal");
        QTest::addColumn<int>("parameterIndex");
        QTest::addColumn<int>("length");
        QTest::addColumn<QueryState>("next");
        const int meter = registerblocks::StatusSelfConsumption,
                  typeAgain = registerblocks::StatusReadTypeAgain;
        QTest::newRow("identity without power")
            << false << false << 133 << false << Identity << 0 << 0.0 << 0 << 73 << Identity;
        QTest::newRow("identity with power")
            << false << false << 133 << false << Identity << 0 << 3000.0 << 0 << 73 << Version;
        QTest::newRow("version legacy")
            << false << false << 100 << true << Version << 0 << 0.0 << 0 << 11 << Measures;
        QTest::newRow("version zeta legacy")
            << true << false << 0 << true << Version << 0 << 0.0 << 0 << 11 << TypeBlock;
        QTest::newRow("type zeta") << true << false << 100 << false << TypeBlock << 0 << 0.0 << 0 << 231
                                   << DailyValues;
        QTest::newRow("type other") << false << false << 133 << false << TypeBlock << 0 << 0.0 << 0 << 151
                                    << DailyValues;
        QTest::newRow("daily values")
            << false << false << 133 << false << DailyValues << 0 << 0.0 << 0 << 417 << Measures;
        QTest::newRow("measures legacy")
            << false << false << 100 << true << Measures << 0 << 0.0 << 0 << 71 << Status;
        QTest::newRow("measures 40") << false << false << 125 << false << Measures << meter << 0.0 << 0 << 89
                                     << Status;
        QTest::newRow("measures 130 meter")
            << false << false << 130 << false << Measures << meter << 0.0 << 0 << 93 << Status;
        QTest::newRow("measures 133 meter")
            << false << false << 133 << false << Measures << meter << 0.0 << 0 << 93 << HouseLoad;
        QTest::newRow("measures zeta meter")
            << true << false << 100 << false << Measures << meter << 0.0 << 0 << 89 << HouseLoad;
        QTest::newRow("measures zeta legacy meter")
            << true << false << 0 << true << Measures << meter << 0.0 << 0 << 71 << Status;
        QTest::newRow("house load") << false << false << 133 << false << HouseLoad << meter << 0.0 << 0 << 15
                                    << Status;
        QTest::newRow("status legacy, type again")
            << false << false << 100 << true << Status << typeAgain << 0.0 << 0 << 13 << TypeBlock;
        QTest::newRow("status no alarms")
            << false << false << 125 << false << Status << 0 << 0.0 << 0 << 15 << Measures;
        QTest::newRow("status, alarms")
            << false << false << 126 << false << Status << 0 << 0.0 << 0 << 15 << AlarmWordsRead;
        QTest::newRow("alarms 8") << false << false << 126 << false << AlarmWordsRead << 0 << 0.0 << 0 << 25
                                  << Measures;
        QTest::newRow("alarms 10") << false << false << 133 << false << AlarmWordsRead << 0 << 0.0 << 0 << 29
                                   << Measures;
        QTest::newRow("params read 7")
            << false << false << 133 << false << ParametersRead << 0 << 0.0 << 0 << 23 << Measures;
        QTest::newRow("params read 8")
            << false << false << 150 << false << ParametersRead << 0 << 0.0 << 0 << 25 << Measures;
        QTest::newRow("params write")
            << false << false << 150 << false << ParametersWrite << 0 << 0.0 << 0 << 12 << CommandApply;
        QTest::newRow("one by one, more to come")
            << false << false << 100 << true << ParameterWriteOne << 0 << 0.0 << 5 << 12 << ParameterWriteOne;
        QTest::newRow("one by one, the last")
            << false << false << 100 << true << ParameterWriteOne << 0 << 0.0 << 6 << 12 << CommandApply;
        QTest::newRow("apply") << false << false << 150 << false << CommandApply << 0 << 0.0 << 0 << 12
                               << CommandResult;
        QTest::newRow("result") << false << false << 150 << false << CommandResult << 0 << 0.0 << 0 << 11
                                << Measures;
        QTest::newRow("update string box")
            << false << true << 0 << true << UpdateAvailable << 0 << 0.0 << 0 << 12 << StringBoxBlock;
        QTest::newRow("update inverter")
            << false << false << 150 << false << UpdateAvailable << 0 << 0.0 << 0 << 12 << Measures;
        QTest::newRow("time sync resumes")
            << false << false << 133 << false << TimeSync << 0 << 0.0 << 0 << 12 << AlarmWordsRead;
        QTest::newRow("string box") << false << true << 0 << true << StringBoxBlock << 0 << 0.0 << 0 << 25
                                    << StringBoxBlock;
        QTest::newRow("tpx A") << false << false << 150 << false << TpxBlockA << 0 << 0.0 << 0 << 17
                               << TpxBlockB;
        QTest::newRow("tpx B") << false << false << 150 << false << TpxBlockB << 0 << 0.0 << 0 << 159
                               << TpxBlockC;
        QTest::newRow("tpx C") << false << false << 150 << false << TpxBlockC << 0 << 0.0 << 0 << 27
                               << TpxBlockA;
    }
    void table()
    {
        QFETCH(int, version);
        QFETCH(QueryState, state);
        LinkContext c;
        QFETCH(bool, zeta);
        QFETCH(bool, stringBox);
        c.zeta = zeta;
        c.stringBox = stringBox;
        c.version = static_cast<short>(version);
        if (version)
            c.flags.applyVersion(c.version);
        QFETCH(bool, legacy);
        c.flags.legacy = legacy; // a Zeta takes it from its announced version
        c.savedState = AlarmWordsRead;
        QFETCH(int, status);
        c.statusWord = static_cast<unsigned short>(status);
        QFETCH(double, nominal);
        c.nominalPower = nominal;
        QFETCH(int, parameterIndex);
        c.parameterIndex = parameterIndex;
        QTEST(expectedLength(state, c), "length");
        QTEST(nextState(state, c), "next");
    }

    // The writes carry the parameter block as stored (wire order).
    void writeRequests_data()
    {
        QTest::addColumn<QueryState>("state");
        QTest::addColumn<bool>("longParameters");
        QTest::addColumn<int>("parameterIndex");
        QTest::addColumn<QByteArray>("frame"); // hex
        QTest::newRow("eight registers")
            << ParametersWrite << true << 0
            << QByteArray("000100000017ff10008c0008100001000200030004000500060007"
                          "0008");
        QTest::newRow("seven registers")
            << ParametersWrite << false << 0
            << QByteArray("000100000015ff10008c00070e0001000200030004000500060007");
        QTest::newRow("one register")
            << ParameterWriteOne << false << 2 << QByteArray("000100000006ff06008e0003");
        QTest::newRow("apply") << CommandApply << false << 0 << QByteArray("000100000006ff0600700032");
        QTest::newRow("update") << UpdateAvailable << false << 0 << QByteArray("000100000006ff060070003c");
    }
    void writeRequests()
    {
        QFETCH(QueryState, state);
        QFETCH(bool, longParameters);
        QFETCH(int, parameterIndex);
        const unsigned char wire[16] = {0, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 7, 0, 8};
        LinkContext c;
        c.flags.longParameters = longParameters;
        c.parameterIndex = parameterIndex;
        c.parameterWrite = reinterpret_cast<const unsigned short*>(wire);
        QTEST(request(state, c).toHex(), "frame");
    }
};

QTEST_APPLESS_MAIN(TestQueryTable)
#include "tst_querytable.moc"
