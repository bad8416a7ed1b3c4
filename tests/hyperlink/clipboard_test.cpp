#include "platform/ui/clipboard.h"
#include "test_env.h"

#include <atomic>
#include <cstdio>
#include <thread>

namespace {
// What another program reads from the clipboard while this one serves it.
std::string ReadClipboardWithXclip()
{
    std::string text;
    std::atomic<bool> finished = false;
    std::thread reader([&] {
        if (std::FILE* pipe = popen("xclip -o -selection clipboard 2>/dev/null", "r")) {
            char buffer[256];
            std::size_t n;
            while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
                text.append(buffer, n);
            pclose(pipe);
        }
        finished = true;
    });
    PumpUntil([&] { return finished.load(); });
    reader.join();
    return text;
}
}  // namespace

TEST(Clipboard, AnotherProgramReadsTheTextWhileQuilloRuns)
{
    REQUIRE_DISPLAY();
    if (std::system("command -v xclip >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "xclip is not installed";
    ASSERT_TRUE(SetClipboardText("https://quillo.example.org/\xc3\xa9"));
    EXPECT_EQ(ReadClipboardWithXclip(), "https://quillo.example.org/\xc3\xa9");
}
