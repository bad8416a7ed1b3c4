// Runs the tests inside a toolkit application when a display is there, so GUI cases (clipboard,
// windows, the help viewer) run for real; without one they skip themselves.
#include <gtest/gtest.h>

#include <cstdlib>

#include <wx/app.h>
#include <wx/init.h>

namespace {
class TestApp : public wxApp {
public:
    bool OnInit() override { return true; }
};
}  // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    bool gui = false;
    const char* display = std::getenv("DISPLAY");
    if (display != nullptr && *display != '\0') {
        wxApp::SetInstance(new TestApp);
        gui = wxEntryStart(argc, argv) && wxTheApp->CallOnInit();
    }
    int result = RUN_ALL_TESTS();
    if (gui) {
        wxTheApp->OnExit();
        wxEntryCleanup();
    }
    return result;
}

#include "test_env.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

bool PumpUntil(const std::function<bool()>& done)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        if (wxTheApp != nullptr && wxTheApp->IsGUI())
            wxTheApp->Yield(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

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
