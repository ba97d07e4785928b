#pragma once
// Shared by the polling benchmark's programs: the arguments (BOARDS-FILE COUNT SECONDS, the file
// holding "address port" lines), the process's CPU time and the result line run.sh collects.
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace bench {

using Boards = std::vector<std::pair<std::string, int>>; // address, port

// The first COUNT boards and the seconds to run; exits after a message when they are wrong.
inline Boards parse(int argc, char** argv, double* seconds)
{
    Boards boards;
    const int count = argc == 4 ? std::atoi(argv[2]) : 0;
    *seconds = argc == 4 ? std::atof(argv[3]) : 0;
    std::ifstream in(argc == 4 ? argv[1] : "");
    std::pair<std::string, int> b;
    while (int(boards.size()) < count && in >> b.first >> b.second)
        boards.push_back(b);
    if (count <= 0 || int(boards.size()) != count || *seconds <= 0) {
        std::fprintf(stderr, "usage: %s BOARDS-FILE COUNT SECONDS (%d boards found)\n", argv[0],
                     int(boards.size()));
        std::exit(2);
    }
    return boards;
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
