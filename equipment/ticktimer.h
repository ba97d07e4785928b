#pragma once
// A repeating timer served by one clock shared by the whole process: every
// TickTimer keeps its own interval and phase, but all of them wake the event
// loop together, once per 100 ms tick of the clock, instead of each on its
// own. The equipment links poll on it, so a plant of many equipments sends
// its requests in a few bursts rather than one wake-up per request.
//
// Intervals are rounded up to whole ticks (the link's intervals, 300 to 1000
// ms in steps of 100, are exact). Starting a timer puts its first timeout one
// interval after the current tick, as QTimer::start() does from now. The
// clock calls the timer's function directly: with hundreds of timers the
// tick stays a walk over one table.

#include <functional>

class TickTimer
{
public:
    static constexpr int TickMs = 100;

    explicit TickTimer(std::function<void()> onTimeout);
    ~TickTimer();
    TickTimer(const TickTimer&) = delete;
    TickTimer& operator=(const TickTimer&) = delete;

    void start(int intervalMs);
    void start();
    void stop();
    bool isActive() const { return active; }
    void setInterval(int intervalMs);
    int interval() const { return intervalMs; }

private:
    friend class TickClock;
    std::function<void()> onTimeout;
    int intervalMs = 0;
    int intervalTicks = 1;
    bool active = false;
};
