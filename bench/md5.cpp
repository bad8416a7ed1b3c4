// MD5 throughput beside openssl measured in the same run.
//   bench_md5 [MiB]   (default 128)
// Our figure hashes the data in memory; `openssl dgst -md5` hashes the same bytes from a file
// in the page cache (process start included, small against a run of this size), and
// `openssl speed -evp md5` gives the library's own figure on 16 KiB blocks. The three take
// turns, and each is timed in CPU seconds (openssl speed's own measure), so that other work
// on a busy machine slows none of them on paper.
#include "smtp/md5.h"

#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kRuns = 5;

double OwnCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// User and system time of the children that have been waited for.
double ChildrenCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string OurDigest(const std::vector<unsigned char>& data) {
    Md5Context context;
    Md5Init(context);
    Md5Update(context, data.data(), static_cast<std::uint32_t>(data.size()));
    unsigned char digest[kMd5DigestSize];
    Md5Final(digest, context);
    char text[2 * kMd5DigestSize + 1];
    for (int i = 0; i < kMd5DigestSize; ++i) std::snprintf(text + 2 * i, 3, "%02x", digest[i]);
    return text;
}

std::string RunCommand(const std::string& command, int* status) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        *status = -1;
        return output;
    }
    char chunk[4096];
    while (std::size_t n = fread(chunk, 1, sizeof chunk, pipe)) output.append(chunk, n);
    *status = pclose(pipe);
    return output;
}

// HMAC-MD5 of a CRAM-MD5 challenge under a password, the work of one login, beside Python's
// hmac.digest (OpenSSL's one-shot HMAC under the interpreter's call overhead).
void PrintHmacFigures() {
    constexpr int kOperations = 1'000'000;
    const std::string challenge = "<1896.697170952@postoffice.reston.mci.net>";
    const std::string password = "tanstaaftanstaaf";
    std::vector<double> ours, python;
    const bool havePython = access("/usr/bin/python3", X_OK) == 0;
    const std::string command =
        "/usr/bin/python3 -c 'import hmac, time\n"
        "k, m, n = b\"" + password + "\", b\"" + challenge + "\", " + std::to_string(kOperations) + "\n"
        "t = time.process_time()\n"
        "for _ in range(n): hmac.digest(k, m, \"md5\")\n"
        "print(n / (time.process_time() - t))'";
    unsigned char digest[kMd5DigestSize];
    for (int run = 0; run < kRuns; ++run) {
        const double start = OwnCpuSeconds();
        for (int i = 0; i < kOperations; ++i) {
            HmacMd5(reinterpret_cast<const unsigned char*>(challenge.data()), static_cast<std::int32_t>(challenge.size()),
                    reinterpret_cast<const unsigned char*>(password.data()), static_cast<std::int32_t>(password.size()),
                    digest);
            asm volatile("" : : "r"(digest) : "memory");  // each digest counts as used
        }
        ours.push_back(kOperations / (OwnCpuSeconds() - start) / 1e6);
        if (havePython) {
            int status = 0;
            const std::string output = RunCommand(command, &status);
            if (status == 0) python.push_back(std::strtod(output.c_str(), nullptr) / 1e6);
        }
    }
    std::printf("HMAC-MD5 of a %zu-byte challenge, median of %d runs of %d, million per CPU second\n",
                challenge.size(), kRuns, kOperations);
    std::printf("  %-32s %9.3f M/s\n", "ours (HmacMd5)", Median(ours));
    if (python.empty()) {
        std::printf("  %-32s not installed\n", "python3 hmac.digest");
        return;
    }
    std::printf("  %-32s %9.3f M/s\n", "python3 hmac.digest", Median(python));
    std::printf("  %-32s %9.2f\n", "ratio ours / python3", Median(ours) / Median(python));
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t mebibytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 128;
    if (mebibytes == 0 || mebibytes > 3000) {
        std::fprintf(stderr, "usage: bench_md5 [MiB, 1..3000]\n");
        return 2;
    }
    std::vector<unsigned char> data(mebibytes << 20);
    std::mt19937_64 random(1321);
    for (std::size_t i = 0; i + 8 <= data.size(); i += 8) {
        const std::uint64_t word = random();
        for (int b = 0; b < 8; ++b) data[i + b] = static_cast<unsigned char>(word >> (8 * b));
    }

    char path[] = "/tmp/quillo-bench-md5-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) {
        std::perror("mkstemp");
        return 1;
    }
    close(fd);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data.data()),
                                                static_cast<std::streamsize>(data.size()));

    const bool haveOpenssl = system("command -v openssl >/dev/null 2>&1") == 0;
    const double megabytes = static_cast<double>(data.size()) / 1e6;
    std::vector<double> ours, theirs, speed;
    std::string ourDigest, theirDigest;
    // Take turns so that a busy moment on the machine hits all alike.
    for (int run = 0; run < kRuns; ++run) {
        const double start = OwnCpuSeconds();
        ourDigest = OurDigest(data);
        ours.push_back(megabytes / (OwnCpuSeconds() - start));

        if (haveOpenssl) {
            int status = 0;
            const double childStart = ChildrenCpuSeconds();
            const std::string output = RunCommand(std::string("openssl dgst -md5 -r ") + path, &status);
            const double elapsed = ChildrenCpuSeconds() - childStart;
            if (status == 0 && elapsed > 0) {
                theirs.push_back(megabytes / elapsed);
                theirDigest = output.substr(0, 32);
            }
            // "+F:<n>:md5:<bytes per second>" in the machine-readable output
            const std::string figures =
                RunCommand("openssl speed -mr -evp md5 -bytes 16384 -seconds 1 2>/dev/null", &status);
            const auto at = figures.find("+F:");
            if (status == 0 && at != std::string::npos) {
                const auto colon = figures.rfind(':', figures.find('\n', at));
                speed.push_back(std::strtod(figures.c_str() + colon + 1, nullptr) / 1e6);
            }
        }
    }

    unlink(path);

    const double ourMedian = Median(ours);
    std::printf("MD5 over %zu MiB, median of %d runs, MB per CPU second\n", mebibytes, kRuns);
    std::printf("  %-32s %9.1f MB/s\n", "ours (Md5Update, in memory)", ourMedian);
    int result = 0;
    if (theirs.empty()) {
        std::printf("  %-32s not installed\n", "openssl dgst -md5");
    } else {
        const double theirMedian = Median(theirs);
        std::printf("  %-32s %9.1f MB/s\n", "openssl dgst -md5 (same file)", theirMedian);
        std::printf("  %-32s %9.2f\n", "ratio ours / openssl dgst", ourMedian / theirMedian);
        if (!speed.empty()) {
            const double speedMedian = Median(speed);
            std::printf("  %-32s %9.1f MB/s\n", "openssl speed -evp md5 (16 KiB)", speedMedian);
            std::printf("  %-32s %9.2f\n", "ratio ours / openssl speed", ourMedian / speedMedian);
        }
        if (theirDigest != ourDigest) {
            std::printf("digests differ: ours %s, openssl %s\n", ourDigest.c_str(), theirDigest.c_str());
            result = 1;
        }
    }
    PrintHmacFigures();
    return result;
}
