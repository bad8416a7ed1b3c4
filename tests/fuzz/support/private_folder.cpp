#include "support/private_folder.h"
#include "platform/ui/message_box.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fuzz {
namespace {

std::string g_folder;

void RemoveFolder()
{
    std::error_code ec;
    std::filesystem::remove_all(g_folder, ec);
}

}  // namespace

void EnterPrivateFolder()
{
    if (!g_folder.empty())
        return;
    // Memory-backed when the system has it: the settings writer syncs every file it writes.
    std::error_code ec;
    const std::filesystem::path base =
        ::access("/dev/shm", W_OK) == 0 ? std::filesystem::path("/dev/shm") : std::filesystem::temp_directory_path(ec);
    std::string pattern = (base / "quillo-fuzz-XXXXXX").string();
    if (!::mkdtemp(pattern.data()) || ::chdir(pattern.c_str()) != 0) {
        std::perror("fuzz: private folder");
        std::abort();
    }
    g_folder = pattern;
    std::atexit(RemoveFolder);
}

void WriteFile(const char* name, const std::string& bytes)
{
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
        std::perror("fuzz: writing the input file");
        std::abort();
    }
}

std::string ReadFile(const char* name)
{
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int& MessageBoxCount()
{
    static int count = 0;
    return count;
}


std::string PlaceInput(const char* name, const unsigned char* data, std::size_t size)
{
    std::string content(reinterpret_cast<const char*>(data), data ? size : 0);
    WriteFile(name, content);
    MessageBoxCount() = 0;
    return content;
}

}  // namespace fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::EnterPrivateFolder();
    SetMessageBoxHook([](const MessageBoxRecord&) {
        ++fuzz::MessageBoxCount();
        return IDOK;
    });
    return 0;
}
