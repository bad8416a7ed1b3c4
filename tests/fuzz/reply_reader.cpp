// The reply reader against a hostile server. A peer on loopback sends the fuzzer's bytes in the
// fuzzer's chunks, each only once the reader has taken the one before (so the reader sees exactly
// these pieces), then closes, resets or falls silent. The connection reads replies with a short
// time-out until one fails, as the SMTP steps would. Each read must return; the last reply must be
// a copy of what was received, starting at a line start, ending where a complete reply ended; the
// memory a read holds must stay under the reply bound.
//
// Input: expected-code selector, flags, repeat count, then the chunks separated by 0x1F.
#include "smtp/smtp_connection.h"
#include "support/fuzz_check.h"
#include "support/fuzz_input.h"
#include "support/loopback.h"

#include <sys/ioctl.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define FUZZ_COUNT_HEAP 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define FUZZ_COUNT_HEAP 1
#endif

#ifdef FUZZ_COUNT_HEAP
// From the sanitizers' allocator interface (GCC ships no header for it).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*onMalloc)(const volatile void*, std::size_t),
                                                          void (*onFree)(const volatile void*));
extern "C" std::size_t __sanitizer_get_allocated_size(const volatile void* p);
#endif

namespace {

constexpr DWORD kReplyTimeout = 10;
constexpr std::int32_t kCodes[] = {220, 250, 354, 221, 334, 235, 550, 0};

// The heap a read holds at its peak, counted by the sanitizer's allocation hooks (all threads:
// the peer allocates nothing while a read runs).
#ifdef FUZZ_COUNT_HEAP
std::atomic<bool> g_counting{false};
std::atomic<long long> g_current{0};
std::atomic<long long> g_peak{0};

void OnMalloc(const volatile void*, std::size_t size)
{
    if (!g_counting.load(std::memory_order_relaxed))
        return;
    const long long now = g_current.fetch_add(static_cast<long long>(size)) + static_cast<long long>(size);
    long long peak = g_peak.load();
    while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
    }
}

void OnFree(const volatile void* p)
{
    if (g_counting.load(std::memory_order_relaxed) && p)
        g_current.fetch_sub(static_cast<long long>(__sanitizer_get_allocated_size(p)));
}

struct HookInstaller {
    HookInstaller() { __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree); }
} g_installHooks;
#endif

class ReaderUnderTest : public CSMTPConnection {
public:
    bool Connect(std::uint16_t port) { return m_socket.CreateStream() && m_socket.ConnectTo("127.0.0.1", port, nullptr); }
    int Fd() const { return m_socket.Handle(); }
};

// Whether the three characters at line parse as code, read as "%d" reads them.
bool CarriesCode(const std::string& line, std::int32_t code)
{
    int value = 0;
    return std::sscanf(line.substr(0, 3).c_str(), "%d", &value) == 1 && value == code;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const std::int32_t expected = kCodes[in.TakeByte() % 8];
    const std::uint8_t flags = in.TakeByte();
    const bool closeAtEnd = flags & 1;
    const bool resetAtEnd = flags & 2;
    const int repeat = in.TakeByte();
    std::vector<std::string> chunks;
    while (!in.Empty())
        chunks.push_back(in.TakeField());
    // The last chunk again, so that short inputs can grow a reply past its bound.
    for (int i = 0; i < repeat && !chunks.empty(); ++i)
        chunks.push_back(chunks.back());
    std::string sent;  // what the peer sends, in order

    ReaderUnderTest reader;
    reader.SetReplyTimeout(kReplyTimeout);
    FUZZ_CHECK(reader.Connect(fuzz::ListenerPort()));
    const int server = fuzz::AcceptClient(5000);
    FUZZ_CHECK(server >= 0);

    std::atomic<bool> readerDone{false};
    std::thread peer([&] {
        for (const std::string& chunk : chunks) {
            if (chunk.empty())
                continue;
            if (!fuzz::SendAll(server, chunk.data(), chunk.size()))
                break;
            // The next chunk only once this one has been taken, or the reads are over.
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            int unread = 0;
            while (!readerDone && ::ioctl(reader.Fd(), FIONREAD, &unread) == 0 && unread > 0 &&
                   std::chrono::steady_clock::now() < until)
                std::this_thread::yield();
            if (readerDone)
                break;
        }
        if (closeAtEnd || resetAtEnd) {
            fuzz::CloseClient(server, resetAtEnd);
            return;
        }
        while (!readerDone)  // silence until the reader has given up
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        fuzz::CloseClient(server);
    });
    for (const std::string& chunk : chunks)
        sent += chunk;

    // Each reply starts where the previous one ended.
    std::size_t consumed = 0;
    for (int call = 0; call < 4; ++call) {
        const auto start = std::chrono::steady_clock::now();
#ifdef FUZZ_COUNT_HEAP
        g_current = 0;
        g_peak = 0;
        g_counting = true;
#endif
        const bool ok = reader.ExpectReply(expected);
#ifdef FUZZ_COUNT_HEAP
        g_counting = false;
        // Two reply buffers while one grows, and the stored copy of the reply.
        FUZZ_CHECK(g_peak <= 4LL * CSMTPConnection::kMaxReplyLength);
#endif
        // It returned, and not long after the silence rule says it should.
        FUZZ_CHECK(std::chrono::steady_clock::now() - start < std::chrono::seconds(10));

        const std::string reply = reader.GetLastReply();
        FUZZ_CHECK(reply.size() <= static_cast<std::size_t>(CSMTPConnection::kMaxReplyLength) + 8192);
        // The last reply is received text: it starts at a line start of this call's data.
        const std::string_view rest = std::string_view(sent).substr(consumed);
        std::size_t at = std::string_view::npos;
        for (std::size_t start = 0; start <= rest.size();) {
            if (rest.substr(start, reply.size()) == reply) {
                at = start;
                if (!ok)
                    break;
                // A complete reply ends with its line end; take the match that does.
                if (rest.substr(start + reply.size(), 2) == "\r\n")
                    break;
                at = std::string_view::npos;
            }
            const std::size_t next = rest.find("\r\n", start);
            if (next == std::string_view::npos)
                break;
            start = next + 2;
        }
        FUZZ_CHECK(at != std::string_view::npos);
        if (!ok)
            break;
        FUZZ_CHECK(CarriesCode(reply, expected));
        // The first line that carries the code decides: none before it does.
        for (std::size_t line = 0; line < at; line = rest.find("\r\n", line) + 2)
            FUZZ_CHECK(!CarriesCode(std::string(rest.substr(line, 3)), expected));
        FUZZ_CHECK(reader.GetLastReplyCode() == expected);
        consumed += at + reply.size() + 2;
    }
    readerDone = true;
    peer.join();
    return 0;
}
