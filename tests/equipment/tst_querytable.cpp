// Every request of the link's query table, its reply length and the state
// that follows, for the equipment generations that change them.
#include "querytable.h"

#include <QtTest>

using namespace querytable;

namespace {
const unsigned short* parameterBlock()
{
    // Eight words as stored (wire order): bytes 0x10 0x00, 0x11 0x01, ...
    static unsigned char bytes[16];
    for (int i = 0; i < 8; ++i) {
        bytes[2 * i] = static_cast<unsigned char>(0x10 + i);
        bytes[2 * i + 1] = static_cast<unsigned char>(i);
    }
    return reinterpret_cast<const unsigned short*>(bytes);
}

LinkContext contextFor(const QString& kind)
{
    LinkContext c;
    c.parameterWrite = parameterBlock();
    c.now = QDateTime(QDate(2026, 3, 5), QTime(14, 3, 9));
    short version = 0;
    if (kind.startsWith("zeta")) {
        c.zeta = true;
        version = 100;
        if (kind == "zeta-legacy")
            version = 0;
        else
            c.flags.legacy = false; // set from the announced "1.0.0" otherwise
    } else if (kind.startsWith('v')) {
        version = static_cast<short>(kind.mid(1).toInt());
    }
    if (version)
        c.flags.applyVersion(version);
    c.version = version;
    if (kind == "sb")
        c.stringBox = true;
    return c;
}
} // namespace

class TestQueryTable : public QObject
{
    Q_OBJECT
private slots:
    void requests_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("state");
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("expected");
        const QByteArray h = "0001 0000 0006 ff ";
        QTest::newRow("identity") << "v133" << 1 << h + "03 004f 0020" << 73;
        QTest::newRow("version") << "v133" << 2 << h + "03 0080 0001" << 11;
        QTest::newRow("type short") << "v133" << 12 << h + "03 0320 0047" << 151;
        QTest::newRow("type zeta") << "zeta" << 12 << h + "03 0320 006f" << 231;
        QTest::newRow("type zeta legacy") << "zeta-legacy" << 12 << h + "03 0320 0047" << 151;
        QTest::newRow("daily values") << "v133" << 10 << h + "03 01f4 00cc" << 417;
        QTest::newRow("measures legacy") << "v100" << 3 << h + "03 000a 001f" << 71;
        QTest::newRow("measures 40") << "v125" << 3 << h + "03 000a 0028" << 89;
        QTest::newRow("measures 42") << "v130" << 3 << h + "03 000a 002a" << 93;
        QTest::newRow("house load") << "v133" << 15 << h + "03 00c8 0003" << 15;
        QTest::newRow("status") << "v133" << 4 << h + "03 0006 0003" << 15;
        QTest::newRow("status legacy") << "v100" << 4 << h + "03 0006 0002" << 13;
        QTest::newRow("alarms 8") << "v126" << 14 << h + "03 03e8 0008" << 25;
        QTest::newRow("alarms 10") << "v133" << 14 << h + "03 03e8 000a" << 29;
        QTest::newRow("params read 7") << "v133" << 5 << h + "03 008c 0007" << 23;
        QTest::newRow("params read 8") << "v150" << 5 << h + "03 008c 0008" << 25;
        QTest::newRow("params write 7") << "v133" << 6
                                        << QByteArray("0001 0000 0015 ff 10 008c 0007 0e "
                                                      "1000 1101 1202 1303 1404 1505 1606")
                                        << 12;
        QTest::newRow("params write 8") << "v150" << 6
                                        << QByteArray("0001 0000 0017 ff 10 008c 0008 10 "
                                                      "1000 1101 1202 1303 1404 1505 1606 1707")
                                        << 12;
        QTest::newRow("apply") << "v133" << 7 << h + "06 0070 0032" << 12;
        QTest::newRow("result") << "v133" << 8 << h + "03 0074 0001" << 11;
        QTest::newRow("update available") << "sb" << 11 << h + "06 0070 003c" << 12;
        QTest::newRow("time sync") << "v133" << 13
                                   << QByteArray("0001 0000 0013 ff 10 00a0 0006 0c "
                                                 "001a 0003 0005 000e 0003 0009")
                                   << 12;
        QTest::newRow("string box") << "sb" << 100 << h + "03 0014 0008" << 25;
        QTest::newRow("tpx a") << "v133" << 16 << h + "03 0000 0004" << 17;
        QTest::newRow("tpx b") << "v133" << 17 << h + "03 000b 004b" << 159;
        QTest::newRow("tpx c") << "v133" << 18 << h + "03 0078 0009" << 27;
        QTest::newRow("no such state") << "v133" << 42 << QByteArray() << -1;
    }
    void requests()
    {
        QFETCH(QString, kind);
        QFETCH(int, state);
        QFETCH(QByteArray, frame);
        const LinkContext ctx = contextFor(kind);
        QCOMPARE(request(state, ctx).toHex(), QByteArray::fromHex(frame.replace(' ', "")).toHex());
        QTEST(expectedLength(state, ctx), "expected");
    }

    void oneByOneWrites()
    {
        LinkContext ctx = contextFor("v100");
        for (int i = 0; i <= LastOneByOneIndex; ++i) {
            ctx.parameterIndex = i;
            const QByteArray f = request(ParameterWriteOne, ctx);
            QCOMPARE(f.size(), 12);
            QCOMPARE(quint8(f[7]), quint8(0x06));
            QCOMPARE(quint8(f[9]), quint8(140 + i));
            QCOMPARE(quint8(f[10]), quint8(0x10 + i)); // first stored byte goes first
            QCOMPARE(quint8(f[11]), quint8(i));
            QCOMPARE(expectedLength(ParameterWriteOne, ctx), 12);
            QCOMPARE(nextState(ParameterWriteOne, ctx), i < LastOneByOneIndex ? 9 : 7);
        }
    }

    void nextStates_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("state");
        QTest::addColumn<double>("nominal");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("next");
        const int selfCons = registerblocks::StatusSelfConsumption;
        const int typeAgain = registerblocks::StatusReadTypeAgain;
        QTest::newRow("identity without power") << "v133" << 1 << 0.0 << 0 << 1;
        QTest::newRow("identity with power") << "v133" << 1 << 3000.0 << 0 << 2;
        QTest::newRow("version legacy") << "v100" << 2 << 0.0 << 0 << 3;
        QTest::newRow("version zeta legacy") << "zeta-legacy" << 2 << 0.0 << 0 << 12;
        QTest::newRow("version current") << "v133" << 2 << 0.0 << 0 << 12;
        QTest::newRow("type") << "v133" << 12 << 0.0 << 0 << 10;
        QTest::newRow("daily") << "v133" << 10 << 0.0 << 0 << 3;
        QTest::newRow("measures 133 meter") << "v133" << 3 << 0.0 << selfCons << 15;
        QTest::newRow("measures 133 no meter") << "v133" << 3 << 0.0 << 0 << 4;
        QTest::newRow("measures 130 meter") << "v130" << 3 << 0.0 << selfCons << 4;
        QTest::newRow("measures zeta 100 meter") << "zeta" << 3 << 0.0 << selfCons << 15;
        QTest::newRow("measures zeta 99 meter") << "zeta-legacy" << 3 << 0.0 << selfCons << 4;
        QTest::newRow("house load") << "v133" << 15 << 0.0 << 0 << 4;
        QTest::newRow("status type again") << "v100" << 4 << 0.0 << typeAgain << 12;
        QTest::newRow("status alarms") << "v126" << 4 << 0.0 << 0 << 14;
        QTest::newRow("status no alarms") << "v125" << 4 << 0.0 << 0 << 3;
        QTest::newRow("alarms") << "v133" << 14 << 0.0 << 0 << 3;
        QTest::newRow("params read") << "v133" << 5 << 0.0 << 0 << 3;
        QTest::newRow("params write") << "v133" << 6 << 0.0 << 0 << 7;
        QTest::newRow("apply") << "v133" << 7 << 0.0 << 0 << 8;
        QTest::newRow("result") << "v133" << 8 << 0.0 << 0 << 3;
        QTest::newRow("update inverter") << "v133" << 11 << 0.0 << 0 << 3;
        QTest::newRow("update string box") << "sb" << 11 << 0.0 << 0 << 100;
        QTest::newRow("string box") << "sb" << 100 << 0.0 << 0 << 100;
        QTest::newRow("tpx a") << "v133" << 16 << 0.0 << 0 << 17;
        QTest::newRow("tpx b") << "v133" << 17 << 0.0 << 0 << 18;
        QTest::newRow("tpx c") << "v133" << 18 << 0.0 << 0 << 16;
    }
    void nextStates()
    {
        QFETCH(QString, kind);
        QFETCH(int, state);
        QFETCH(double, nominal);
        QFETCH(int, status);
        LinkContext ctx = contextFor(kind);
        ctx.nominalPower = nominal;
        ctx.statusWord = static_cast<unsigned short>(status);
        QTEST(nextState(state, ctx), "next");
    }

    void timeSyncResumesSavedState()
    {
        LinkContext ctx = contextFor("v133");
        ctx.savedState = 14;
        QCOMPARE(nextState(TimeSync, ctx), 14);
    }
};

QTEST_APPLESS_MAIN(TestQueryTable)
#include "tst_querytable.moc"
