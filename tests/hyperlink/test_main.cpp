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

#include <chrono>
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
