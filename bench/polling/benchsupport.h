#pragma once
// Shared by the polling benchmark's programs: arguments, the board list, the
// process's CPU and memory, and the result line that run.sh collects.
// usage: <program> BOARDS-FILE COUNT SECONDS, the file holding "address port" lines.

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace bench {

struct Board
{
    std::string address;
    int port = 502;
};

struct Run
{
    std::vector<Board> boards;
    double seconds = 20;
};

// Reads the arguments and the first COUNT boards; false (after a message) when they are wrong.
inline bool parse(int argc, char** argv, Run* run)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s BOARDS-FILE COUNT SECONDS\n", argv[0]);
        return false;
    }
    const int count = std::atoi(argv[2]);
    run->seconds = std::atof(argv[3]);
    std::ifstream in(argv[1]);
    Board b;
    while (int(run->boards.size()) < count && in >> b.address >> b.port)
        run->boards.push_back(b);
    if (count > 0 && int(run->boards.size()) == count && run->seconds > 0)
        return true;
    std::fprintf(stderr, "%s: %d boards asked, %d in %s\n", argv[0], count, int(run->boards.size()), argv[1]);
    return false;
}

// User + system CPU seconds of this process.
inline double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// "RESULT <who> n= seconds= replies= failed= cpu= rss_kib=" for run.sh.
inline void printResult(const char* who, int n, double seconds, long replies, long failed, double cpu)
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    std::printf("RESULT %s n=%d seconds=%.2f replies=%ld failed=%ld cpu=%.3f rss_kib=%ld\n", who, n, seconds,
                replies, failed, cpu, u.ru_maxrss);
    std::fflush(stdout);
}

} // namespace bench
