// Complete SMTP conversations (connect, greeting, HELO, QUIT) against a real aiosmtpd
// server on loopback, beside Python's smtplib doing the same in the same run.
// Usage: bench_conversation [N]   (default 200)
#include "bench/smtp_timing.h"

int main(int argc, char** argv)
{
    return quillo::bench::RunAgainstSink(
        argc, argv, "conversations (connect, greeting, HELO, QUIT)", "conversation",
        [](CSMTPConnection& connection, unsigned port) {
            return connection.OpenSession("127.0.0.1", NoLogin, nullptr, nullptr, static_cast<int>(port), nullptr)
                   && connection.CloseSession();
        });
}
