#pragma once
// Menus as data: a menu bar or popup of items (command, text with & mnemonic), separators and
// popups, loaded from the program's resources or built by code, realised on the toolkit on demand.
#include "platform/ui/win_types.h"

#include <memory>
#include <string>
#include <vector>

class wxMenu;
class wxMenuBar;
class CWnd;

class CMenu {
public:
    struct Item {
        UINT id = 0;                    // command; 0 for separators and popups
        std::string text;               // with the & mnemonic; empty for separators
        bool separator = false;
        bool rightAligned = false;      // a popup placed at the right end of a menu bar
        std::unique_ptr<CMenu> popup;   // set for a popup
    };

    // Loads menu resource id (res/menu-<id>.txt); false when there is none.
    bool LoadMenu(int id);
    bool AppendMenu(UINT flags, UINT id = 0, const char* text = nullptr);
    void AppendPopup(const char* text, std::unique_ptr<CMenu> popup, bool rightAligned = false);
    void RemoveAll() { m_items.clear(); }

    int GetMenuItemCount() const { return static_cast<int>(m_items.size()); }
    const Item& GetItem(int index) const { return m_items[static_cast<std::size_t>(index)]; }
    CMenu* GetSubMenu(int index) const;

    // Shows this menu as a popup over owner's window at window coordinates (x, y) and sends the
    // chosen command to owner as WM_COMMAND (or WM_SYSCOMMAND when sysCommand is set).
    // Returns the command chosen, 0 when the menu was dismissed.
    UINT TrackPopupMenu(CWnd& owner, int x, int y, bool sysCommand = false) const;

    // Toolkit realisations; MenuCommandToToolkitId gives the toolkit's id of a command.
    wxMenu* CreateToolkitMenu() const;
    wxMenuBar* CreateToolkitMenuBar() const;

    // Parses the menu text format (see res/README.md); false on a malformed text.
    bool Parse(const std::string& text);

private:
    std::vector<Item> m_items;
};

// The toolkit's menu id for a command and back (0 for an id that is no command).
int MenuCommandToToolkitId(UINT command);
UINT ToolkitIdToMenuCommand(int toolkitId);

// True while a menu of the program is open (Esc then belongs to the menu).
bool IsMenuOpen();
void SetMenuOpen(bool open);
