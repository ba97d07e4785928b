// Timers on the shared tick.
#include "ticktimer.h"

#include <QtTest>

#include <memory>

class TestTickTimer : public QObject
{
    Q_OBJECT
private slots:
    // When the second timer has fired `fires` times, the first has fired exactly its share.
    void intervalsAndPhase_data()
    {
        QTest::addColumn<int>("firstMs");
        QTest::addColumn<int>("secondMs");
        QTest::addColumn<int>("delay"); // ticks between the two starts
        QTest::addColumn<int>("fires");
        QTest::addColumn<int>("firstCount");
        // clang-format off
        QTest::newRow("100 and 300") << 100 << 300 << 0 << 2 << 6;
        QTest::newRow("rounded up to a tick") << 150 << 400 << 0 << 2 << 4;
        QTest::newRow("below a tick") << 1 << 200 << 0 << 2 << 4;
        QTest::newRow("started a tick later, phase kept") << 300 << 300 << 1 << 1 << 1;
        // clang-format on
    }
    void intervalsAndPhase()
    {
        QFETCH(int, firstMs);
        QFETCH(int, secondMs);
        QFETCH(int, delay);
        QFETCH(int, fires);
        int first = 0, second = 0, firstAtSecond = -1, ticks = 0;
        TickTimer firstTimer([&] { ++first; });
        TickTimer secondTimer([&] {
            if (++second == fires)
                firstAtSecond = first;
        });
        TickTimer starter([&] {
            if (++ticks == 1)
                firstTimer.start(firstMs);
            else if (ticks == 1 + delay)
                secondTimer.start(secondMs);
        });
        if (delay == 0) {
            firstTimer.start(firstMs);
            secondTimer.start(secondMs);
        } else {
            starter.start(100);
        }
        QTRY_VERIFY(second >= fires);
        QTEST(firstAtSecond, "firstCount");
    }

    // Callbacks may delete a timer served in the same tick, stop their own, or restart one longer.
    void changesFromCallbacks()
    {
        int deleter = 0, victimCalls = 0, selfStopping = 0, backOffCalls = 0, ticks = 0;
        std::unique_ptr<TickTimer> victim, selfStop;
        TickTimer deleting([&] {
            ++deleter;
            victim.reset();
        });
        victim = std::make_unique<TickTimer>([&] { ++victimCalls; }); // served after the deleting one
        selfStop = std::make_unique<TickTimer>([&] {
            ++selfStopping;
            selfStop->stop();
        });
        TickTimer backOff([&] {
            if (++backOffCalls == 1)
                backOff.start(300);
        });
        TickTimer counter([&] { ++ticks; });
        for (TickTimer* t : {&deleting, victim.get(), selfStop.get(), &backOff, &counter})
            t->start(100);
        QTRY_VERIFY(backOffCalls >= 2);
        QCOMPARE(victimCalls, 0);
        QCOMPARE(selfStopping, 1);
        QVERIFY(!selfStop->isActive());
        QCOMPARE(ticks, 4); // restarted at the first tick, the back-off waited three more
    }
};

QTEST_GUILESS_MAIN(TestTickTimer)
#include "tst_ticktimer.moc"
