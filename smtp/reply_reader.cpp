// Collects one server reply with a time-out on silence and judges its code.
#include "smtp/smtp_connection.h"
#include "platform/tick.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

// The longest wait for the socket in one pass: short enough to notice the time-out soon,
// and the wait ends at once when data arrives.
constexpr DWORD kPollSlice = 250;

// A line whose fourth character is "-" announces more lines of the same reply; the reply
// is complete once the text ends in the terminator and its last line is not such a line.
bool ReplyComplete(const char* text, std::size_t length, const char* terminator, std::size_t termLength)
{
    if (length < termLength || std::memcmp(text + length - termLength, terminator, termLength) != 0)
        return false;
    std::size_t end = length - termLength;
    std::size_t start = 0;
    std::string_view body(text, end);
    std::size_t previous = body.rfind(std::string_view(terminator, termLength));
    if (previous != std::string_view::npos)
        start = previous + termLength;
    return end - start < 4 || text[start + 3] != '-';
}

// The code at the start of a line, read as "%d" reads at most three characters.
bool ParseCode(const char* line, std::int32_t& code)
{
    char field[4] = {};
    std::strncpy(field, line, 3);
    int value = 0;
    if (std::sscanf(field, "%d", &value) != 1)
        return false;
    code = value;
    return true;
}

}  // namespace

bool CSMTPConnection::ExpectReply(std::int32_t expectedCode)
{
    char buffer[256];
    char* grown = nullptr;
    bool ok = ReadReply(buffer, sizeof buffer, "\r\n", expectedCode, &grown, 4096);
    delete[] grown;
    return ok;
}

bool CSMTPConnection::ReadReply(char* buffer, std::int32_t capacity, const char* terminator,
                                std::int32_t expectedCode, char** grownBuffer, std::int32_t growthStep)
{
    // Without a terminator no reply could ever end; without room nothing could be read.
    if (buffer == nullptr || capacity < 1 || terminator == nullptr || *terminator == '\0'
        || grownBuffer == nullptr || growthStep < 1) {
        SetLastError(WSAEINVAL);
        return false;
    }
    const std::size_t termLength = std::strlen(terminator);
    char* current = buffer;
    std::int32_t length = 0;
    current[0] = '\0';
    DWORD lastActivity = GetTickCount();

    auto giveUp = [&]() {
        m_lastReply.assign(current, static_cast<std::size_t>(length));
        return false;
    };

    for (;;) {
        DWORD silent = GetTickCount() - lastActivity;
        if (silent > m_replyTimeout) {
            SetLastError(WSAETIMEDOUT);
            return giveUp();
        }
        bool readable = false;
        const DWORD remaining = m_replyTimeout - silent;
        if (!m_socket.PollReadable(readable, remaining >= kPollSlice ? kPollSlice : remaining + 1))
            return giveUp();
        if (!readable)
            continue;

        std::int32_t request = std::max<std::int32_t>(capacity - length - 1, 0);
        int count = m_socket.ReceiveBytes(current + length, request);
        if (count < 1)
            return giveUp();
        lastActivity = GetTickCount();
        length += count;
        current[length] = '\0';

        const bool complete = ReplyComplete(current, static_cast<std::size_t>(length), terminator, termLength);
        if (!complete && length > kMaxReplyLength) {
            // A hostile server must not make the client allocate without limit.
            SetLastError(WSAEMSGSIZE);
            return giveUp();
        }
        if (count == request) {
            capacity += growthStep;
            char* larger = new char[static_cast<std::size_t>(capacity)];
            std::memcpy(larger, current, static_cast<std::size_t>(length) + 1);
            delete[] *grownBuffer;
            *grownBuffer = larger;
            current = larger;
        }
        if (complete)
            break;
    }

    // Examine the lines in order; the first that carries the expected code decides.
    length -= static_cast<std::int32_t>(termLength);
    current[length] = '\0';
    const std::string_view reply(current, static_cast<std::size_t>(length));
    const std::string_view term(terminator, termLength);
    std::size_t point = 0;
    for (;;) {
        // A line that starts with no number leaves the code as it was but never matches.
        const bool numbered = ParseCode(current + point, m_lastReplyCode);
        m_lastReply.assign(reply.substr(point));
        if (numbered && m_lastReplyCode == expectedCode)
            return true;
        const std::size_t next = reply.find(term, point);
        if (next == std::string_view::npos) {
            SetLastError(WSAEPROTONOSUPPORT);
            return false;
        }
        point = next + termLength;
    }
}
