#include "platform/ui/menu.h"

#include "platform/ui/resources.h"
#include "platform/ui/wnd.h"

#include <wx/menu.h>
#include <wx/window.h>

namespace {
bool g_menuOpen = false;

// The toolkit takes menu ids below 0x7FFF only; commands (up to 0xFFFF) get ids from 10000 up,
// above the toolkit's stock ids.
std::vector<UINT>& CommandTable()
{
    static std::vector<UINT> commands;
    return commands;
}
constexpr int kFirstToolkitMenuId = 10000;

bool ParseItems(const std::vector<std::vector<std::string>>& lines, std::size_t& i, CMenu& menu, bool nested)
{
    for (; i < lines.size(); ++i) {
        const auto& line = lines[i];
        int id = 0;
        if (line[0] == "end") {
            return nested;
        } else if (line[0] == "separator" && line.size() == 1) {
            menu.AppendMenu(MF_SEPARATOR);
        } else if (line[0] == "item" && line.size() == 3 && ParseResourceInt(line[1], id) && id > 0) {
            menu.AppendMenu(MF_STRING, static_cast<UINT>(id), line[2].c_str());
        } else if (line[0] == "popup" && (line.size() == 2 || (line.size() == 3 && line[2] == "right"))) {
            auto popup = std::make_unique<CMenu>();
            ++i;
            if (!ParseItems(lines, i, *popup, true))
                return false;
            menu.AppendPopup(line[1].c_str(), std::move(popup), line.size() == 3);
        } else {
            return false;
        }
    }
    return !nested;  // a popup without its end
}
}  // namespace

int MenuCommandToToolkitId(UINT command)
{
    auto& table = CommandTable();
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i] == command)
            return kFirstToolkitMenuId + static_cast<int>(i);
    table.push_back(command);
    return kFirstToolkitMenuId + static_cast<int>(table.size() - 1);
}

UINT ToolkitIdToMenuCommand(int toolkitId)
{
    const auto& table = CommandTable();
    std::size_t i = static_cast<std::size_t>(toolkitId - kFirstToolkitMenuId);
    return toolkitId >= kFirstToolkitMenuId && i < table.size() ? table[i] : 0;
}

bool IsMenuOpen()
{
    return g_menuOpen;
}

void SetMenuOpen(bool open)
{
    g_menuOpen = open;
}

bool CMenu::Parse(const std::string& text)
{
    m_items.clear();
    auto lines = TokenizeResourceText(text);
    if (lines.empty() || lines[0].size() != 2 || lines[0][0] != "menu")
        return false;
    std::size_t i = 1;
    return ParseItems(lines, i, *this, false);
}

bool CMenu::LoadMenu(int id)
{
    std::string_view text = FindResourceFile("menu-" + std::to_string(id) + ".txt");
    return !text.empty() && Parse(std::string(text));
}

bool CMenu::AppendMenu(UINT flags, UINT id, const char* text)
{
    Item item;
    item.separator = (flags & MF_SEPARATOR) != 0;
    if (!item.separator) {
        item.id = id;
        item.text = text ? text : "";
    }
    m_items.push_back(std::move(item));
    return true;
}

void CMenu::AppendPopup(const char* text, std::unique_ptr<CMenu> popup, bool rightAligned)
{
    Item item;
    item.text = text ? text : "";
    item.popup = std::move(popup);
    item.rightAligned = rightAligned;
    m_items.push_back(std::move(item));
}

CMenu* CMenu::GetSubMenu(int index) const
{
    return index >= 0 && index < GetMenuItemCount() ? m_items[static_cast<std::size_t>(index)].popup.get() : nullptr;
}

wxMenu* CMenu::CreateToolkitMenu() const
{
    auto* menu = new wxMenu;
    for (const Item& item : m_items) {
        if (item.separator)
            menu->AppendSeparator();
        else if (item.popup)
            menu->AppendSubMenu(item.popup->CreateToolkitMenu(), ToToolkit(item.text));
        else
            menu->Append(MenuCommandToToolkitId(item.id), ToToolkit(item.text));
    }
    return menu;
}

wxMenuBar* CMenu::CreateToolkitMenuBar() const
{
    auto* bar = new wxMenuBar;
    for (const Item& item : m_items)
        if (item.popup)
            bar->Append(item.popup->CreateToolkitMenu(), ToToolkit(item.text));
    return bar;
}

UINT CMenu::TrackPopupMenu(CWnd& owner, int x, int y, bool sysCommand) const
{
    wxWindow* window = owner.GetSafeHwnd();
    if (!window)
        return 0;
    std::unique_ptr<wxMenu> menu(CreateToolkitMenu());
    SetMenuOpen(true);
    int chosen = window->GetPopupMenuSelectionFromUser(*menu, wxPoint(x, y));
    SetMenuOpen(false);
    UINT command = chosen == wxID_NONE ? 0 : ToolkitIdToMenuCommand(chosen);
    if (command)
        owner.SendMessage(sysCommand ? WM_SYSCOMMAND : WM_COMMAND, command);
    return command;
}
