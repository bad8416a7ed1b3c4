// Complete SMTP conversations (connect, greeting, HELO, QUIT) against a real aiosmtpd
// server on loopback; prints the median and 90th percentile in milliseconds.
// Usage: bench_conversation [N]   (default 200)
#include "smtp/smtp_connection.h"
#include "tests/support/smtp_sink.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    quillo::test::SmtpSink sink;
    std::vector<double> ms;
    ms.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const auto start = std::chrono::steady_clock::now();
        CSMTPConnection connection;
        if (!connection.OpenSession("127.0.0.1", NoLogin, nullptr, nullptr, sink.Port(), nullptr)
            || !connection.CloseSession()) {
            std::fprintf(stderr, "conversation %d failed: error %u, reply \"%s\"\n", i, GetLastError(),
                         connection.GetLastReply().c_str());
            return 1;
        }
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    const auto at = [&](double q) { return ms[static_cast<std::size_t>(q * (ms.size() - 1) + 0.5)]; };
    std::printf("conversations (connect, greeting, HELO, QUIT) against aiosmtpd on loopback: %d\n", count);
    std::printf("median %.2f ms, p90 %.2f ms\n", at(0.5), at(0.9));
    return 0;
}
