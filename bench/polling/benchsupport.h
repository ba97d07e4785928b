#pragma once
// Shared by the polling benchmark's programs: the board list, CPU clocks and
// the result line that run.sh collects.

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace bench {

struct Board
{
    std::string address;
    int port = 502;
};

// Reads "address port" lines (the boards plantsim announced), at most count.
inline std::vector<Board> readBoards(const char* file, int count)
{
    std::vector<Board> boards;
    std::ifstream in(file);
    Board b;
    while (int(boards.size()) < count && in >> b.address >> b.port)
        boards.push_back(b);
    return boards;
}

// User + system CPU seconds of this process.
inline double selfCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Peak resident set of this process, KiB.
inline long peakRssKib()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// User + system CPU seconds of another process (the simulator), from
// /proc/<pid>/stat; 0 when the pid is not given or not readable.
inline double processCpuSeconds(int pid)
{
    if (pid <= 0)
        return 0.0;
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    if (close == std::string::npos)
        return 0.0;
    std::istringstream fields(text.substr(close + 2));
    std::string f;
    unsigned long long utime = 0, stime = 0;
    // Fields after the name start at field 3; utime and stime are 14 and 15.
    for (int i = 3; i <= 15 && fields >> f; ++i) {
        if (i == 14)
            utime = std::stoull(f);
        if (i == 15)
            stime = std::stoull(f);
    }
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

// Options shared by both programs.
struct Options
{
    const char* boards = nullptr;
    int count = 0;
    double seconds = 20.0;
    int simPid = 0;
    bool sequential = false; // reference poller: one blocking round trip per board
};

// Prints the usage and returns false on a bad command line.
inline bool parseOptions(int argc, char** argv, Options* o)
{
    const auto usage = [argv] {
        std::fprintf(
            stderr,
            "usage: %s --boards FILE --count N [--seconds S] [--sim-pid PID] [--mode pipelined|sequential]\n",
            argv[0]);
        return false;
    };
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--boards"))
            o->boards = argv[i + 1];
        else if (!std::strcmp(argv[i], "--count"))
            o->count = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--seconds"))
            o->seconds = std::atof(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--sim-pid"))
            o->simPid = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--mode"))
            o->sequential = !std::strcmp(argv[i + 1], "sequential");
        else
            return usage();
    }
    return (o->boards && o->count > 0 && o->seconds > 0) || usage();
}

// One line for run.sh: "RESULT <who> key=value ...".
inline void printResult(const char* who, int count, double seconds, long replies, long failed, double cpu,
                        double simCpu, long rssKib)
{
    std::printf("RESULT %s n=%d seconds=%.2f replies=%ld failed=%ld cpu=%.3f sim_cpu=%.3f rss_kib=%ld\n", who,
                count, seconds, replies, failed, cpu, simCpu, rssKib);
    std::fflush(stdout);
}

} // namespace bench
