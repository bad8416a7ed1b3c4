// Throughput of the body encoders: base64 encode and decode, and quoted-printable, each beside a
// peer measured in this same run on the same bytes: coreutils base64 as a process, and Python's
// base64 and quopri modules timed inside the interpreter. Prints MB/s and the ratio ours/peer.
//
// Usage: bench_encoders [MiB]   (default 8)
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <sstream>
#include <string>

#include "mime/base64_codec.h"
#include "mime/quoted_printable.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 7;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Best of several rounds, so a busy machine disturbs the figure as little as it can.
double BestSeconds(const std::function<void()>& work)
{
    double best = 1e30;
    for (int i = 0; i < kRounds; ++i) {
        const auto start = Clock::now();
        work();
        best = std::min(best, Seconds(Clock::now() - start));
    }
    return best;
}

double MBps(std::size_t bytes, double seconds) { return bytes / 1e6 / seconds; }

std::string RandomBytes(std::size_t size)
{
    std::mt19937_64 random(42);
    std::string data(size, '\0');
    for (auto& c : data) c = static_cast<char>(random() & 0xFF);
    return data;
}

// Text as a mail body holds it: words, spaces, an occasional 8-bit letter and "=", CR LF lines.
std::string MailText(std::size_t size)
{
    std::mt19937_64 random(7);
    std::string text;
    text.reserve(size + 128);
    std::size_t lineLength = 0;
    while (text.size() < size) {
        const unsigned r = random() % 100;
        if (lineLength > 60 && r < 4) {
            text += "\r\n";
            lineLength = 0;
            continue;
        }
        char c = static_cast<char>('a' + random() % 26);
        if (r < 15) c = ' ';
        else if (r < 18) c = static_cast<char>(0xC3 + random() % 2);
        else if (r < 19) c = '=';
        else if (r < 20) c = '.';
        text += c;
        ++lineLength;
    }
    text.resize(size);
    return text;
}

void WriteFile(const std::filesystem::path& path, const std::string& data)
{
    std::ofstream(path, std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));
}

// Runs a command with its input and output redirected, waiting for it; best of the rounds.
double BestProcessSeconds(const std::string& command)
{
    return BestSeconds([&] {
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "peer failed: %s\n", command.c_str());
            std::exit(1);
        }
    });
}

// Times Python's encoders inside the interpreter and reads back "name seconds" lines.
std::map<std::string, double> PythonSeconds(const std::filesystem::path& binary,
                                            const std::filesystem::path& text,
                                            const std::filesystem::path& encoded)
{
    const std::string script =
        "import base64, quopri, sys, time\n"
        "def best(f):\n"
        "    b = 1e30\n"
        "    for _ in range(" + std::to_string(kRounds) + "):\n"
        "        t = time.perf_counter(); f(); b = min(b, time.perf_counter() - t)\n"
        "    return b\n"
        "data = open(sys.argv[1], 'rb').read()\n"
        "text = open(sys.argv[2], 'rb').read()\n"
        "enc = open(sys.argv[3], 'rb').read()\n"
        "print('b64encode', best(lambda: base64.b64encode(data)))\n"
        "print('b64decode', best(lambda: base64.b64decode(enc)))\n"
        "print('quopri', best(lambda: quopri.encodestring(text)))\n";
    const std::string command = "/usr/bin/python3 -c \"$QUILLO_BENCH_SCRIPT\" '" + binary.string() + "' '" +
                                text.string() + "' '" + encoded.string() + "'";
    setenv("QUILLO_BENCH_SCRIPT", script.c_str(), 1);
    FILE* pipe = ::popen(command.c_str(), "r");
    std::map<std::string, double> seconds;
    if (!pipe) return seconds;
    char name[64];
    double value = 0;
    while (std::fscanf(pipe, "%63s %lf", name, &value) == 2) seconds[name] = value;
    ::pclose(pipe);
    return seconds;
}

void Row(const char* operation, double ours, const char* peer, double theirs)
{
    std::printf("%-16s %10.1f   %-24s %10.1f   %6.2f\n", operation, ours, peer, theirs, ours / theirs);
}

}  // namespace

int main(int argc, char** argv)
{
    const std::size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 8;
    const std::size_t size = mib << 20;
    const std::string binary = RandomBytes(size);
    const std::string text = MailText(size);

    CBase64Codec codec;
    codec.EncodeBuffer(binary.data(), static_cast<std::uint32_t>(size));
    const std::string encoded(codec.GetBase64Text(), codec.GetBase64Length());

    const auto dir = std::filesystem::temp_directory_path() / ("quillo-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    WriteFile(dir / "binary", binary);
    WriteFile(dir / "text", text);
    WriteFile(dir / "encoded", encoded);

    const double oursEncode = BestSeconds([&] { codec.EncodeBuffer(binary.data(), static_cast<std::uint32_t>(size)); });
    const double oursDecode = BestSeconds([&] { codec.DecodeBuffer(encoded.data(), static_cast<std::uint32_t>(encoded.size())); });
    if (std::string(reinterpret_cast<const char*>(codec.GetPlainData()), size) != binary) {
        std::fprintf(stderr, "decoding did not give the bytes back\n");
        return 1;
    }
    std::size_t qpSize = 0;
    const double oursQp = BestSeconds([&] { qpSize = QpEncode(text).size(); });

    const std::string quoted = "'" + dir.string() + "/";
    const double coreEncode = BestProcessSeconds("base64 -w0 < " + quoted + "binary' > /dev/null");
    const double coreDecode = BestProcessSeconds("base64 -d < " + quoted + "encoded' > /dev/null");
    auto python = PythonSeconds(dir / "binary", dir / "text", dir / "encoded");
    std::filesystem::remove_all(dir);
    if (python.size() != 3) {
        std::fprintf(stderr, "python timing failed\n");
        return 1;
    }

    std::printf("%zu MiB of data, best of %d rounds; MB/s of input (QP: %zu MiB of mail text -> %.1f MiB)\n",
                mib, kRounds, mib, qpSize / 1048576.0);
    std::printf("%-16s %10s   %-24s %10s   %6s\n", "operation", "ours", "peer", "peer", "ratio");
    Row("base64 encode", MBps(size, oursEncode), "coreutils base64", MBps(size, coreEncode));
    Row("base64 encode", MBps(size, oursEncode), "python base64.b64encode", MBps(size, python["b64encode"]));
    Row("base64 decode", MBps(encoded.size(), oursDecode), "coreutils base64 -d", MBps(encoded.size(), coreDecode));
    Row("base64 decode", MBps(encoded.size(), oursDecode), "python base64.b64decode",
        MBps(encoded.size(), python["b64decode"]));
    Row("QpEncode", MBps(size, oursQp), "python quopri", MBps(size, python["quopri"]));
    return 0;
}
