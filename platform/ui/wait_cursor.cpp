#include "platform/ui/wait_cursor.h"

#include <wx/app.h>
#include <wx/utils.h>

CWaitCursor::CWaitCursor()
{
    if (wxTheApp != nullptr && wxTheApp->IsGUI()) {
        wxBeginBusyCursor();
        m_shown = true;
    }
}

CWaitCursor::~CWaitCursor()
{
    if (m_shown)
        wxEndBusyCursor();
}
