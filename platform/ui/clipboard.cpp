#include "platform/ui/clipboard.h"

#include <wx/app.h>
#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/module.h>

namespace {

bool g_textPlaced = false;

// Runs while the toolkit shuts down, before the clipboard itself goes.
class ClipboardFlushModule : public wxModule {
public:
    ClipboardFlushModule() { AddDependency("wxClipboardModule"); }
    bool OnInit() override { return true; }
    void OnExit() override
    {
        if (g_textPlaced && wxTheClipboard != nullptr)
            wxTheClipboard->Flush();
        g_textPlaced = false;
    }

private:
    wxDECLARE_DYNAMIC_CLASS(ClipboardFlushModule);
};

wxIMPLEMENT_DYNAMIC_CLASS(ClipboardFlushModule, wxModule);

}  // namespace

bool SetClipboardText(const std::string& text)
{
    if (wxTheApp == nullptr || !wxTheApp->IsGUI() || wxTheClipboard == nullptr)
        return false;
    if (!wxTheClipboard->Open())
        return false;
    bool placed = wxTheClipboard->SetData(new wxTextDataObject(wxString::FromUTF8(text.c_str(), text.size())));
    wxTheClipboard->Close();
    g_textPlaced = g_textPlaced || placed;
    return placed;
}
