// Whole sends against a real aiosmtpd server on loopback (connect, greeting, HELO, MAIL,
// two RCPT, DATA, header, body, end of data, QUIT), beside Python's smtplib doing the
// same in the same run.
// Usage: bench_send [N]   (default 200)
#include "bench/smtp_timing.h"
#include "mime/mail_message.h"

int main(int argc, char** argv)
{
    return quillo::bench::RunAgainstSink(
        argc, argv, "whole sends (HELO, MAIL, 2 x RCPT, DATA, header, body, end of data, QUIT)", "send",
        [](CSMTPConnection& connection, unsigned port) {
            CMailMessage message;
            message.sender = CMailAddress("me@example.org");
            message.AppendRecipient(CMailAddress("5551234@sms.example.net"), KindTo);
            message.AppendRecipient(CMailAddress("me@example.org"), KindBcc);
            message.mailerName = "Quillo Version 1.0";
            message.subject = "Benchmark";
            message.SetMessageText("Running late, see you at the station at 6.");
            return connection.OpenSession("127.0.0.1", NoLogin, nullptr, nullptr, static_cast<int>(port), nullptr)
                   && connection.SendMail(message) && connection.CloseSession();
        });
}
