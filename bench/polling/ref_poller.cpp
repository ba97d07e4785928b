// Reference poller: the console's request cycle sent with libmodbus and
// nothing else, one request per board every 300 ms, single thread. Each tick
// every board's request goes out, then the replies are read.
#include "benchsupport.h"

#include <modbus/modbus.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <ctime>

namespace {
// The tile's query states that a plain board visits, with the tile's choice
// of the next state (identity, version, type block, daily values, then
// measures, status and alarm words in turn).
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
    int version = 0;
    int divider = 0;
    int dailyPeriod = 1;
    int count = 0; // registers asked by the request in flight
    bool legacy() const { return version <= 122; }
};

struct Read
{
    int start;
    int count;
};

Read readOf(const Link& l)
{
    switch (l.state) {
    case Identity:
        return {79, 32};
    case Version:
        return {128, 1};
    case TypeBlock:
        return {800, 71};
    case DailyValues:
        return {500, 204};
    case Measures:
        return {10, l.legacy() ? 31 : (l.version >= 130 ? 42 : 40)};
    case Status:
        return {6, l.legacy() ? 2 : 3};
    case AlarmWords:
        return {1000, l.version >= 133 ? 10 : 8};
    }
    return {0, 0};
}

State nextState(const Link& l)
{
    switch (l.state) {
    case Identity:
        return Version;
    case Version:
        return l.legacy() ? Measures : TypeBlock;
    case TypeBlock:
        return DailyValues;
    case Status:
        return l.version >= 126 ? AlarmWords : Measures;
    case Measures:
        return Status;
    default:
        return Measures;
    }
}

// Reads exactly size bytes from libmodbus' non-blocking socket.
bool receiveBytes(int s, uint8_t* data, int size)
{
    while (size > 0) {
        pollfd p{s, POLLIN, 0};
        if (poll(&p, 1, 1000) != 1)
            return false;
        const ssize_t got = recv(s, data, size_t(size), 0);
        if (got <= 0)
            return false;
        data += got;
        size -= int(got);
    }
    return true;
}

// The request of the board's state for this tick.
bool send(Link& l)
{
    if (++l.divider >= 5) {
        l.divider = 0;
        if (++l.dailyPeriod >= 121) {
            l.dailyPeriod = 1;
            if (!l.legacy())
                l.state = DailyValues;
        }
    }
    const Read r = readOf(l);
    l.count = r.count;
    const uint8_t request[] = {
        0xFF, 3, uint8_t(r.start >> 8), uint8_t(r.start), uint8_t(r.count >> 8), uint8_t(r.count)};
    return modbus_send_raw_request(l.ctx, request, sizeof request) > 0;
}

// The reply to the request in flight; a good one moves the board on.
// libmodbus frames replies by their byte count, which cannot tell the 204
// daily values (one 417-byte reply); that one is read by its header length.
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
    l.state = nextState(l);
    return true;
}

double now()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + t.tv_nsec / 1e9;
}
} // namespace

int main(int argc, char** argv)
{
    bench::Run run;
    if (!bench::parse(argc, argv, &run))
        return 2;
    std::vector<Link> links(run.boards.size());
    for (size_t i = 0; i < links.size(); ++i) {
        const bench::Board& b = run.boards[i];
        links[i].ctx = modbus_new_tcp(b.address.c_str(), b.port);
        if (!links[i].ctx || modbus_set_slave(links[i].ctx, 0xFF) < 0 || modbus_connect(links[i].ctx) < 0) {
            std::fprintf(stderr, "%s:%d: %s\n", b.address.c_str(), b.port, modbus_strerror(errno));
            return 1;
        }
    }
    long replies = 0, failed = 0;
    const double startCpu = bench::cpuSeconds();
    const double start = now();
    timespec next{};
    clock_gettime(CLOCK_MONOTONIC, &next);
    while (now() - start < run.seconds) {
        for (Link& l : links)
            l.count = send(l) ? l.count : -1;
        for (Link& l : links)
            l.count >= 0 && receive(l) ? ++replies : ++failed;
        next.tv_nsec += 300000000;
        if (next.tv_nsec >= 1000000000) {
            next.tv_nsec -= 1000000000;
            ++next.tv_sec;
        }
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
    }
    bench::printResult("reference", int(links.size()), now() - start, replies, failed,
                       bench::cpuSeconds() - startCpu);
    for (Link& l : links) {
        modbus_close(l.ctx);
        modbus_free(l.ctx);
    }
    return 0;
}
