#pragma once
// Shared by the SMTP benchmarks: percentiles of a run and the smtplib peer measured beside it.
#include "smtp/smtp_connection.h"
#include "tests/support/smtp_sink.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace quillo::bench {

struct Figures {
    double median = 0;
    double p90 = 0;
};

inline Figures Percentiles(std::vector<double> ms)
{
    if (ms.empty())
        return {};
    std::sort(ms.begin(), ms.end());
    const auto at = [&](double q) { return ms[static_cast<std::size_t>(q * double(ms.size() - 1) + 0.5)]; };
    return {at(0.5), at(0.9)};
}

// Runs Python's smtplib through the same work against the same server, appending the
// milliseconds of each run; false if it fails.
inline bool MeasurePeer(unsigned port, int count, const char* mode, std::vector<double>& ms)
{
    const std::string command = "/usr/bin/python3 " QUILLO_SOURCE_DIR "/bench/smtplib_peer.py " +
                                std::to_string(port) + " " + std::to_string(count) + " " + mode;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return false;
    int parsed = 0;
    for (double value; std::fscanf(pipe, "%lf", &value) == 1; ++parsed)
        ms.push_back(value);
    return ::pclose(pipe) == 0 && parsed == count;
}

inline void Report(const char* what, int count, const Figures& ours, const Figures* peer)
{
    std::printf("%s against aiosmtpd on loopback, %d runs\n", what, count);
    std::printf("  quillo:          median %7.2f ms   p90 %7.2f ms\n", ours.median, ours.p90);
    if (peer != nullptr)
        std::printf("  python smtplib:  median %7.2f ms   p90 %7.2f ms   (quillo/smtplib median %.2f)\n",
                    peer->median, peer->p90, ours.median / peer->median);
}

// Times N runs of `once`, each on a fresh connection, against one aiosmtpd server, and N runs
// of the smtplib peer in `peerMode`, and prints both. N is the first argument (default 200).
inline int RunAgainstSink(int argc, char** argv, const char* what, const char* peerMode,
                          const std::function<bool(CSMTPConnection&, unsigned port)>& once)
{
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    quillo::test::SmtpSink sink;
    const auto runOurs = [&](int runs, std::vector<double>* ms) {
        for (int i = 0; i < runs; ++i) {
            const auto start = std::chrono::steady_clock::now();
            CSMTPConnection connection;
            if (!once(connection, sink.Port())) {
                std::fprintf(stderr, "run failed: error %u, reply \"%s\"\n", GetLastError(),
                             connection.GetLastReply().c_str());
                return false;
            }
            if (ms != nullptr)
                ms->push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
        return true;
    };
    // A few unmeasured runs first, so that neither side pays for the server's warm-up; then
    // both sides take turns, so that a change in the machine's load hits both alike.
    if (!runOurs(std::min(count, 10), nullptr))
        return 1;
    constexpr int kRounds = 4;
    std::vector<double> ours;
    std::vector<double> peer;
    bool peerRan = true;
    for (int round = 0; round < kRounds; ++round) {
        const int runs = count / kRounds + (round < count % kRounds ? 1 : 0);
        if (runs == 0)
            continue;
        if (!runOurs(runs, &ours))
            return 1;
        peerRan = peerRan && MeasurePeer(sink.Port(), runs, peerMode, peer);
    }
    const Figures peerFigures = Percentiles(peer);
    Report(what, count, Percentiles(ours), peerRan ? &peerFigures : nullptr);
    return 0;
}

}  // namespace quillo::bench
