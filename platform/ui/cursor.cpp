#include "platform/ui/cursor.h"

#include "platform/ui/resources.h"

#include <map>
#include <memory>
#include <string>

#include <wx/app.h>
#include <wx/cursor.h>
#include <wx/image.h>
#include <wx/mstream.h>

namespace {
HCURSOR g_current = nullptr;
}

HCURSOR LoadSystemCursor(int id)
{
    if (id != IDC_HAND || wxTheApp == nullptr || !wxTheApp->IsGUI())
        return nullptr;
    static std::unique_ptr<wxCursor> hand;
    if (!hand) {
        auto made = std::make_unique<wxCursor>(wxCURSOR_HAND);
        if (!made->IsOk())
            return nullptr;
        hand = std::move(made);
    }
    return hand.get();
}

HCURSOR LoadCursorResource(int id)
{
    static std::map<int, std::unique_ptr<wxCursor>> loaded;
    if (auto it = loaded.find(id); it != loaded.end())
        return it->second.get();
    if (wxTheApp == nullptr || !wxTheApp->IsGUI())
        return nullptr;
    std::string_view bytes = FindResourceFile("cursor-" + std::to_string(id) + ".cur");
    if (bytes.empty())
        return nullptr;
    if (wxImage::FindHandler(wxBITMAP_TYPE_CUR) == nullptr)
        wxImage::AddHandler(new wxCURHandler);
    wxMemoryInputStream in(bytes.data(), bytes.size());
    wxImage image;
    if (!image.LoadFile(in, wxBITMAP_TYPE_CUR))  // the hot spot comes with the image
        return nullptr;
    auto cursor = std::make_unique<wxCursor>(image);
    if (!cursor->IsOk())
        return nullptr;
    return (loaded[id] = std::move(cursor)).get();
}

HCURSOR SetCursor(HCURSOR cursor)
{
    HCURSOR old = g_current;
    g_current = cursor;
    return old;
}

HCURSOR GetCursor() { return g_current; }
