// The simulated board's register model on its own: the day curve and its
// energy, the type block and the side effects of writes (the identity and the
// clock are checked through the register server).

#include "boardmodel.h"

#include <QTest>
#include <QtMath>

namespace {

BoardConfig board(BoardKind kind, int phases, int power)
{
    BoardConfig c = defaultScenario().boards.first();
    c.kind = kind;
    c.phases = phases;
    c.nominalPower = power;
    c.firmware = 150;
    return c;
}

} // namespace

class TestBoardModel : public QObject
{
    Q_OBJECT

private slots:
    void dayCurve_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<bool>("producing");
        QTest::newRow("night") << QTime(2, 0) << false;
        QTest::newRow("dawn") << QTime(5, 55) << false;
        QTest::newRow("morning") << QTime(9, 0) << true;
        QTest::newRow("evening") << QTime(20, 30) << false;
    }

    void dayCurve()
    {
        QFETCH(QTime, time);
        BoardModel m(board(BoardKind::Inverter, 3, 10000));
        const QDateTime at(QDate(2026, 6, 21), time);
        const double p = m.powerAt(at);
        QTEST(p > 0, "producing");
        QVERIFY(p <= 10000);
        m.update(at);
        // The per-phase powers (10 W units) add up to the curve's power.
        const double sum = (m.reg(24) + m.reg(25) + m.reg(26)) * 10.0;
        QVERIFY2(qAbs(sum - p) <= 30, qPrintable(QString("%1 vs %2").arg(sum).arg(p)));
        QCOMPARE(int(m.reg(34)), 1);
    }

    void energyIsTheIntegralOfPower()
    {
        BoardModel m(board(BoardKind::Inverter, 3, 10000));
        const QDate day(2026, 6, 21);
        double sum = 0; // kWh, one-minute steps
        for (int minute = 0; minute < 24 * 60; ++minute)
            sum += m.powerAt(QDateTime(day, QTime(0, 0).addSecs(minute * 60 + 30))) / 60.0 / 1000.0;
        const double closed = m.dayEnergyAt(QDateTime(day, QTime(23, 59)));
        QVERIFY2(qAbs(sum - closed) < 0.01 * closed, qPrintable(QString("%1 vs %2").arg(sum).arg(closed)));
        m.update(QDateTime(day, QTime(15, 0)));
        const quint32 daily = quint32(m.reg(48)) << 16 | m.reg(49);
        QCOMPARE(int(daily), int(m.dayEnergyAt(QDateTime(day, QTime(15, 0))) * 10));
    }

    void applyCommand_data()
    {
        QTest::addColumn<quint16>("result");
        QTest::newRow("working") << quint16(0x0032);
        QTest::newRow("default") << quint16(0x0F32);
    }

    void applyCommand()
    {
        QFETCH(quint16, result);
        BoardConfig c = board(BoardKind::Inverter, 3, 6000);
        c.resultWord = result;
        BoardModel m(c);
        const QVector<quint16> params{0x1, 50, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
        QVERIFY(m.writeBlock(140, params));
        QCOMPARE(m.applyCount(), 0);
        QCOMPARE(m.reg(116), quint16(0));
        QVERIFY(m.write(112, 50));
        QCOMPARE(m.applyCount(), 1);
        QCOMPARE(m.appliedParameters(), params);
        QCOMPARE(m.reg(116), result);
        QVERIFY(m.write(112, 60));
        QCOMPARE(m.upgradeCount(), 1);
        QCOMPARE(m.applyCount(), 1);
    }

    void typeBlockRequest()
    {
        BoardModel m(board(BoardKind::Zeta, 3, 50000));
        m.setStatusBit(2, true);
        QVector<quint16> words;
        QVERIFY(m.read(6, 3, &words));
        QVERIFY(words.at(2) & 0x4);
        QVERIFY(words.at(2) & 0x40); // accepts commands
        QVERIFY(m.read(800, 111, &words));
        QCOMPARE(m.reg(8) & 0x4, 0);
        QCOMPARE(m.reg(870), quint16(100));
        QCOMPARE(QChar(m.reg(802)), QChar('I')); // probe names, one character per low byte
        QVERIFY(!m.read(1020, 10, &words));      // beyond the map
    }

    void dailyLog_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("values");
        QTest::newRow("inverter") << int(BoardKind::Inverter) << 29;
        QTest::newRow("zeta") << int(BoardKind::Zeta) << 30;
    }

    void dailyLog()
    {
        QFETCH(int, kind);
        QFETCH(int, values);
        BoardModel m(board(BoardKind(kind), 3, 20000));
        const QDate day(2026, 6, 21);
        const QDateTime now(day, QTime(12, 2));
        const QStringList lines = QString::fromLatin1(m.dailyLog(day, now)).split('\n', Qt::SkipEmptyParts);
        // Two headers, then 05:05 to 12:00 every five minutes.
        QCOMPARE(lines.size(), 2 + (12 * 60 - 5 * 60) / 5);
        QVERIFY(lines.at(2).startsWith("05:05;"));
        QVERIFY(lines.last().startsWith("12:00;"));
        QCOMPARE(lines.last().split(';').size(), values + 1);
        const double kw = lines.last().split(';').at(1).toDouble();
        QVERIFY(qAbs(kw * 1000 - m.powerAt(QDateTime(day, QTime(12, 0)))) < 10);
        const QString totals = QString::fromLatin1(m.totalsLog(2026, QDateTime(day.addDays(1), QTime(9, 0))));
        QVERIFY(totals.contains("2026-06-21;"));
    }
};

QTEST_GUILESS_MAIN(TestBoardModel)
#include "tst_boardmodel.moc"
