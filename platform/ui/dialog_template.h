#pragma once
// Dialog templates as data (res/dialog-<id>.txt): the window and its controls in template order,
// which is also the tab order; positions and sizes in dialog units.
#include <set>
#include <string>
#include <vector>

struct ControlTemplate {
    std::string kind;   // static, edit, button, defbutton, groupbox, combobox, icon, line
    int id = -1;        // -1: no id
    std::string text;   // caption; for an icon its resource number
    int x = 0, y = 0, cx = 0, cy = 0;
    std::set<std::string> styles;
    bool Has(const char* style) const { return styles.count(style) != 0; }
};

struct DialogTemplate {
    int id = 0;
    std::string caption;
    int cx = 0, cy = 0;
    std::string fontName = "MS Sans Serif";
    int fontSize = 8;
    int menu = 0;  // 0: no menu
    std::set<std::string> styles;
    std::vector<ControlTemplate> controls;
    bool Has(const char* style) const { return styles.count(style) != 0; }
    const ControlTemplate* FindControl(int controlId) const;
};

// Parses the text; false on a malformed template (unknown kind, missing field).
bool ParseDialogTemplate(const std::string& text, DialogTemplate& out);
// Loads and parses res/dialog-<id>.txt; false when there is none or it is malformed.
bool LoadDialogTemplate(int id, DialogTemplate& out);

// Dialog units to pixels for a font whose base units are baseX x baseY pixels:
// x * baseX / 4 and y * baseY / 8, rounded to the nearest pixel.
int DialogUnitsToPixelsX(int x, int baseX);
int DialogUnitsToPixelsY(int y, int baseY);
