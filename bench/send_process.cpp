// One whole send per process: connect, greeting, HELO, MAIL, two RCPT, DATA, header, body, end of
// data, QUIT, then exit. scripts/bench.sh starts it once per run, taking turns with curl doing the
// same send as a process of its own, so both sides pay for a process start.
// Usage: bench_send_process PORT   (exit status 0 when the server accepted the message)
#include "mime/mail_message.h"
#include "smtp/smtp_connection.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_send_process PORT\n");
        return 2;
    }
    CMailMessage message;
    message.sender = CMailAddress("me@example.org");
    message.AppendRecipient(CMailAddress("5551234@sms.example.net"), KindTo);
    message.AppendRecipient(CMailAddress("me@example.org"), KindBcc);
    message.mailerName = "Quillo Version 1.0";
    message.subject = "Benchmark";
    message.SetMessageText("Running late, see you at the station at 6.");
    CSMTPConnection connection;
    const bool sent = connection.OpenSession("127.0.0.1", NoLogin, nullptr, nullptr, std::atoi(argv[1]), nullptr) &&
                      connection.SendMail(message) && connection.CloseSession();
    if (!sent)
        std::fprintf(stderr, "send failed: error %u, reply \"%s\"\n", GetLastError(), connection.GetLastReply().c_str());
    return sent ? 0 : 1;
}
