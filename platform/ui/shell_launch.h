#pragma once
// Handing an address to the desktop: the user's browser, or the desktop's default handler
// (xdg-open). Both go through one hook, so tests see every launch and no browser ever opens.
#include "platform/ui/win_types.h"

#include <functional>
#include <string>

class CWnd;

enum class LaunchVia { Browser, ShellOpen };

// Opens url in the user's browser: xdg-open, else the toolkit's own way (kept silent: no box of
// its own when it finds no browser). True when a browser was started.
bool LaunchInBrowser(const std::string& url);

// Starts the desktop's default handler for target, unchanged. True when it was started.
bool ShellOpen(const std::string& target);

// The shell's execute call for the verb "open"; greater than 32 on success, 2 when nothing could
// be started. Other verbs are not offered here (31, no association).
long ShellExecuteA(const CWnd* parent, const char* verb, const char* file, const char* parameters,
                   const char* directory, int show);

// Tests install a hook that receives every launch instead of the desktop and returns its outcome;
// an empty hook restores the real launches.
using LaunchHook = std::function<bool(LaunchVia via, const std::string& target)>;
void SetLaunchHook(LaunchHook hook);
