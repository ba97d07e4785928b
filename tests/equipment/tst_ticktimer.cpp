// Timers on the shared tick: each keeps its interval and phase, and timers
// may be stopped, restarted or deleted from any timer's callback.
#include "ticktimer.h"

#include <QtTest>

#include <memory>

class TestTickTimer : public QObject
{
    Q_OBJECT
private slots:
    // Timers started in the same tick count ticks together: when the slow
    // one has fired twice, the fast one has fired exactly its share.
    void intervalsInTicks_data()
    {
        QTest::addColumn<int>("fastMs");
        QTest::addColumn<int>("slowMs");
        QTest::addColumn<int>("fastCount"); // when the slow one has fired twice
        QTest::newRow("100 and 300") << 100 << 300 << 6;
        QTest::newRow("rounded up to a tick") << 150 << 400 << 4;
        QTest::newRow("below a tick") << 1 << 200 << 4;
    }
    void intervalsInTicks()
    {
        QFETCH(int, fastMs);
        QFETCH(int, slowMs);
        int fast = 0, slow = 0, fastAtSlow = -1;
        TickTimer fastTimer([&] { ++fast; });
        TickTimer slowTimer([&] {
            if (++slow == 2)
                fastAtSlow = fast;
        });
        fastTimer.start(fastMs);
        slowTimer.start(slowMs);
        QCOMPARE(slowTimer.interval(), slowMs);
        QTRY_VERIFY(slow >= 2);
        QTEST(fastAtSlow, "fastCount");
    }

    // A timer started a tick later keeps that phase.
    void phase()
    {
        int a = 0, b = 0, aAtFirstB = -1;
        TickTimer timerA([&] { ++a; });
        TickTimer timerB([&] {
            if (++b == 1)
                aAtFirstB = a;
        });
        int ticks = 0;
        TickTimer starter([&] {
            if (++ticks == 1)
                timerA.start(300);
            else if (ticks == 2)
                timerB.start(300);
        });
        starter.start(100);
        QTRY_VERIFY(b >= 1);
        QCOMPARE(aAtFirstB, 1); // A fired at tick 4, B at tick 5
    }

    // Callbacks may delete a timer served in the same tick, stop their own
    // timer, or restart one with a longer interval (the link's back-off).
    void changesFromCallbacks()
    {
        int deleter = 0, victimCalls = 0, selfStopping = 0, backOffCalls = 0;
        std::unique_ptr<TickTimer> victim;
        TickTimer deleting([&] {
            ++deleter;
            victim.reset();
        });
        victim = std::make_unique<TickTimer>([&] { ++victimCalls; }); // served after the deleting one
        std::unique_ptr<TickTimer> selfStop;
        selfStop = std::make_unique<TickTimer>([&] {
            ++selfStopping;
            selfStop->stop();
        });
        TickTimer backOff([&] {
            if (++backOffCalls == 1)
                backOff.start(300);
        });
        deleting.start(100);
        victim->start(100);
        selfStop->start(100);
        backOff.start(100);
        int ticks = 0;
        TickTimer counter([&] { ++ticks; });
        counter.start(100);
        QTRY_VERIFY(backOffCalls >= 2);
        QCOMPARE(victimCalls, 0);
        QCOMPARE(selfStopping, 1);
        QVERIFY(!selfStop->isActive());
        QCOMPARE(backOff.interval(), 300);
        QCOMPARE(ticks, 4); // restarted at the first tick, the back-off waited three more
    }
};

QTEST_GUILESS_MAIN(TestTickTimer)
#include "tst_ticktimer.moc"
