#include "platform/ui/shell_launch.h"

#include "platform/spawn_detached.h"

#include <cstring>
#include <utility>

#include <wx/app.h>
#include <wx/log.h>
#include <wx/utils.h>

namespace {

LaunchHook& Hook()
{
    static LaunchHook hook;
    return hook;
}

}  // namespace

void SetLaunchHook(LaunchHook hook) { Hook() = std::move(hook); }

bool LaunchInBrowser(const std::string& url)
{
    if (url.empty())
        return false;
    if (Hook())
        return Hook()(LaunchVia::Browser, url);
    if (SpawnDetached({"xdg-open", url}))
        return true;
    // Without xdg-open the toolkit can still ask GTK for the desktop's handler; it would show a
    // box of its own on failure, which this call must not.
    if (wxTheApp == nullptr || !wxTheApp->IsGUI())
        return false;
    wxLogNull quiet;
    return wxLaunchDefaultBrowser(wxString::FromUTF8(url.c_str()), wxBROWSER_NOBUSYCURSOR);
}

bool ShellOpen(const std::string& target)
{
    if (target.empty())
        return false;
    if (Hook())
        return Hook()(LaunchVia::ShellOpen, target);
    return SpawnDetached({"xdg-open", target});
}

long ShellExecuteA(const CWnd*, const char* verb, const char* file, const char*, const char*, int)
{
    constexpr long kFileNotFound = 2;
    constexpr long kNoAssociation = 31;
    constexpr long kStarted = 42;
    if (verb != nullptr && std::strcmp(verb, "open") != 0)
        return kNoAssociation;
    if (file == nullptr)
        return kFileNotFound;
    return ShellOpen(file) ? kStarted : kFileNotFound;
}
