// Reference poller: the console's request cycle sent with libmodbus and nothing else, one
// request per board every 300 ms, single thread: each tick every board's request goes out,
// then the replies are read.
#include "benchsupport.h"

#include <modbus/modbus.h>
#include <poll.h>
#include <sys/socket.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <thread>

namespace {
// The tile's query states that a plain board visits, in the tile's order:
// identity, version, type block, daily values, then measures, status and alarm words in turn.
enum State
{
    Identity,
    Version,
    TypeBlock,
    DailyValues,
    Measures,
    Status,
    AlarmWords
};

struct Link
{
    modbus_t* ctx = nullptr;
    State state = Identity;
    int version = 0, divider = 0, dailyPeriod = 1;
    int count = 0; // registers asked by the request in flight, -1 when the send failed
    bool legacy() const { return version <= 122; }
    // The first register and the count of each state's request, and the state after it.
    int start() const { return std::array{79, 128, 800, 500, 10, 6, 1000}[state]; }
    int registers() const
    {
        const int measures = legacy() ? 31 : (version >= 130 ? 42 : 40), status = legacy() ? 2 : 3;
        return std::array{32, 1, 71, 204, measures, status, version >= 133 ? 10 : 8}[state];
    }
    State next() const
    {
        const State afterVersion = legacy() ? Measures : TypeBlock,
                    afterStatus = version >= 126 ? AlarmWords : Measures;
        return std::array{Version, afterVersion, DailyValues, Measures, Status, afterStatus, Measures}[state];
    }
};

// Reads exactly size bytes from libmodbus' non-blocking socket.
bool receiveBytes(int s, uint8_t* data, int size)
{
    for (ssize_t got = 0; size > 0; data += got, size -= int(got)) {
        pollfd p{s, POLLIN, 0};
        if (poll(&p, 1, 1000) != 1 || (got = recv(s, data, size_t(size), 0)) <= 0)
            return false;
    }
    return true;
}

// The request of the board's state for this tick (daily values again every 600 ticks).
bool send(Link& l)
{
    l.divider = (l.divider + 1) % 5;
    if (l.divider == 0 && ++l.dailyPeriod >= 121) {
        l.dailyPeriod = 1;
        if (!l.legacy())
            l.state = DailyValues;
    }
    const int start = l.start();
    l.count = l.registers();
    const uint8_t request[] = {
        0xFF, 3, uint8_t(start >> 8), uint8_t(start), uint8_t(l.count >> 8), uint8_t(l.count)};
    return modbus_send_raw_request(l.ctx, request, sizeof request) > 0;
}

// The reply to the request in flight; a good one moves the board on. libmodbus frames replies by
// their byte count, which cannot tell the 204 daily values; that one is read by its header length.
bool receive(Link& l)
{
    uint8_t reply[512];
    int size = 0;
    if (l.count <= MODBUS_MAX_READ_REGISTERS) {
        size = modbus_receive_confirmation(l.ctx, reply);
    } else {
        const int s = modbus_get_socket(l.ctx);
        if (!receiveBytes(s, reply, 7))
            return false;
        const int rest = ((reply[4] << 8) | reply[5]) - 1;
        if (rest <= 0 || rest > int(sizeof reply) - 7 || !receiveBytes(s, reply + 7, rest))
            return false;
        size = 7 + rest;
    }
    if (size != 9 + 2 * l.count || reply[7] != 3)
        return false;
    if (l.state == Version)
        l.version = (reply[9] << 8) | reply[10];
    l.state = l.next();
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    double seconds = 0;
    const bench::Boards boards = bench::parse(argc, argv, &seconds);
    std::vector<Link> links(boards.size());
    for (size_t i = 0; i < links.size(); ++i) {
        links[i].ctx = modbus_new_tcp(boards[i].first.c_str(), boards[i].second);
        if (!links[i].ctx || modbus_set_slave(links[i].ctx, 0xFF) < 0 || modbus_connect(links[i].ctx) < 0) {
            std::fprintf(stderr, "%s:%d: %s\n", boards[i].first.c_str(), boards[i].second,
                         modbus_strerror(errno));
            return 1;
        }
    }
    long replies = 0, failed = 0;
    using Clock = std::chrono::steady_clock;
    const double startCpu = bench::cpuSeconds();
    const Clock::time_point start = Clock::now();
    const auto end = start + std::chrono::duration<double>(seconds);
    for (Clock::time_point tick = start; Clock::now() < end; std::this_thread::sleep_until(tick)) {
        for (Link& l : links)
            l.count = send(l) ? l.count : -1;
        for (Link& l : links)
            l.count >= 0 && receive(l) ? ++replies : ++failed;
        tick += std::chrono::milliseconds(300);
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    bench::printResult("reference", int(links.size()), elapsed, replies, failed,
                       bench::cpuSeconds() - startCpu);
    for (Link& l : links)
        modbus_close(l.ctx), modbus_free(l.ctx);
    return 0;
}
