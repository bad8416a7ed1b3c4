#include "app/help.h"

#include "platform/ui/html_help.h"

void OpenHelpFile()
{
    // The viewer's window belongs to the desktop, not to Quillo's window.
    HtmlHelpA(nullptr, "Quillo.chm", HH_DISPLAY_TOPIC, 0);
}
