#include "ticktimer.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>
#include <QVector>

#include <algorithm>

// The process's clock: one QTimer, running while some TickTimer is active,
// and the table of active timers with their due ticks.
class TickClock : public QObject
{
public:
    // Lives with the application object, so that its timer stops with it.
    static TickClock& shared()
    {
        static QPointer<TickClock> clock;
        if (!clock)
            clock = new TickClock(QCoreApplication::instance());
        return *clock;
    }

    void add(TickTimer* t)
    {
        remove(t);
        entries.append({tick + quint64(t->intervalTicks), quint64(t->intervalTicks), t});
        if (!timer.isActive())
            timer.start();
    }

    // Safe while the timers are being served: the entry is cleared now and
    // dropped after the tick.
    void remove(TickTimer* t)
    {
        for (int i = 0; i < entries.size(); ++i) {
            if (entries[i].timer != t)
                continue;
            if (serving) {
                entries[i].timer = nullptr;
            } else {
                entries.remove(i);
                if (entries.isEmpty())
                    timer.stop();
            }
            return;
        }
    }

private:
    struct Entry
    {
        quint64 due;
        quint64 interval; // in ticks
        TickTimer* timer; // null once stopped during a tick
    };

    explicit TickClock(QObject* parent) : QObject(parent)
    {
        timer.setInterval(TickTimer::TickMs);
        timer.setTimerType(Qt::PreciseTimer);
        connect(&timer, &QTimer::timeout, this, [this] { serve(); });
    }

    void serve()
    {
        ++tick;
        serving = true;
        // Timers started during the tick are appended and wait for their due tick.
        const int count = entries.size();
        for (int i = 0; i < count; ++i) {
            if (entries[i].due > tick || !entries[i].timer)
                continue;
            entries[i].due = tick + entries[i].interval;
            entries[i].timer->onTimeout();
        }
        serving = false;
        entries.erase(std::remove_if(entries.begin(), entries.end(), [](const Entry& e) { return !e.timer; }),
                      entries.end());
        if (entries.isEmpty())
            timer.stop();
    }

    QTimer timer;
    QVector<Entry> entries;
    quint64 tick = 0;
    bool serving = false;
};

TickTimer::TickTimer(std::function<void()> f) : onTimeout(std::move(f)) {}

TickTimer::~TickTimer()
{
    stop();
}

// As with QTimer, a running timer starts over with the new interval.
void TickTimer::setInterval(int ms)
{
    intervalMs = ms;
    intervalTicks = qMax(1, (ms + TickMs - 1) / TickMs);
    if (active)
        start();
}

void TickTimer::start(int ms)
{
    active = false;
    setInterval(ms);
    start();
}

void TickTimer::start()
{
    active = true;
    TickClock::shared().add(this);
}

void TickTimer::stop()
{
    if (!active)
        return;
    active = false;
    TickClock::shared().remove(this);
}
