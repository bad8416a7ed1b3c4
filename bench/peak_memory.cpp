// Peak memory of encoding one attachment: the part reads the file and returns its base64 lines, as
// the transmitter asks for them. Prints the bytes the process's resident set grew at its peak
// during EmitBody, per byte of the file: "PEAK_BYTES FILE_BYTES BYTES_PER_INPUT_BYTE".
// Run it as a process of its own for each measurement (scripts/bench.sh does).
// Usage: bench_peak_memory FILE
#include "mime/mime_part.h"

#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

// A field of /proc/self/status in bytes ("VmRSS", "VmHWM").
long long StatusBytes(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.compare(0, prefix.size(), prefix) == 0)
            return std::stoll(line.substr(prefix.size())) * 1024;
    return -1;
}

}  // namespace

int main(int argc, char** argv)
{
    struct stat st {};
    if (argc != 2 || ::stat(argv[1], &st) != 0 || st.st_size == 0) {
        std::fprintf(stderr, "usage: bench_peak_memory FILE (a file that is not empty)\n");
        return 2;
    }
    CMimePart parent;
    CMimePart attachment;
    attachment.SetFilePath(argv[1]);
    attachment.SetAttachmentName("attachment.bin");
    parent.AppendChild(attachment);
    const CMimePart& part = *parent.ChildAt(0);

    // From here on the high-water mark counts only what the encoding takes.
    std::ofstream("/proc/self/clear_refs") << "5";
    const long long before = StatusBytes("VmRSS");
    char* buffer = nullptr;
    std::size_t length = 0;
    if (!part.EmitBody(buffer, length)) {
        std::fprintf(stderr, "EmitBody failed\n");
        return 1;
    }
    const long long peak = StatusBytes("VmHWM") - before;
    CMimePart::DiscardBuffer(buffer);
    std::printf("%lld %lld %.3f\n", peak, static_cast<long long>(st.st_size), double(peak) / double(st.st_size));
    return 0;
}
