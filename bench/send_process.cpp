// One whole send per process: connect, greeting, HELO, MAIL, RCPT for the recipient and the blind
// copy, DATA, header, body, end of data, QUIT, then exit. The report (bench/report.py) starts it
// once per run, taking turns with curl sending the same addresses and text as a process of its own,
// so both sides pay for a process start.
// Usage: bench_send_process PORT FROM TO SUBJECT TEXT   (exit status 0 when the server accepted it;
// FROM also gets the blind copy, as in the Send command)
#include "mime/mail_message.h"
#include "smtp/smtp_connection.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: bench_send_process PORT FROM TO SUBJECT TEXT\n");
        return 2;
    }
    CMailMessage message;
    message.sender = CMailAddress(argv[2]);
    message.AppendRecipient(CMailAddress(argv[3]), KindTo);
    message.AppendRecipient(CMailAddress(argv[2]), KindBcc);
    message.mailerName = "Quillo Version 1.0";
    message.subject = argv[4];
    message.SetMessageText(argv[5]);
    CSMTPConnection connection;
    const bool sent = connection.OpenSession("127.0.0.1", NoLogin, nullptr, nullptr, std::atoi(argv[1]), nullptr) &&
                      connection.SendMail(message) && connection.CloseSession();
    if (!sent)
        std::fprintf(stderr, "send failed: error %u, reply \"%s\"\n", GetLastError(), connection.GetLastReply().c_str());
    return sent ? 0 : 1;
}
