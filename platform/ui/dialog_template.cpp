#include "platform/ui/dialog_template.h"

#include "platform/ui/resources.h"

namespace {
const std::set<std::string> kKinds = {"static", "edit", "button", "defbutton", "groupbox", "combobox", "icon", "line"};
}

const ControlTemplate* DialogTemplate::FindControl(int controlId) const
{
    for (const ControlTemplate& c : controls)
        if (c.id == controlId && controlId != -1)
            return &c;
    return nullptr;
}

bool ParseDialogTemplate(const std::string& text, DialogTemplate& out)
{
    out = DialogTemplate{};
    bool header = false;
    for (const auto& line : TokenizeResourceText(text)) {
        const std::string& key = line[0];
        if (key == "dialog") {
            if (line.size() != 5 || !ParseResourceInt(line[1], out.id) || !ParseResourceInt(line[3], out.cx) ||
                !ParseResourceInt(line[4], out.cy))
                return false;
            out.caption = line[2];
            header = true;
        } else if (!header) {
            return false;
        } else if (key == "font") {
            if (line.size() != 3 || !ParseResourceInt(line[2], out.fontSize))
                return false;
            out.fontName = line[1];
        } else if (key == "menu") {
            if (line.size() != 2 || !ParseResourceInt(line[1], out.menu))
                return false;
        } else if (key == "style") {
            out.styles.insert(line.begin() + 1, line.end());
        } else if (kKinds.count(key)) {
            ControlTemplate c;
            c.kind = key;
            if (line.size() < 7 || !ParseResourceInt(line[1], c.id) || !ParseResourceInt(line[3], c.x) ||
                !ParseResourceInt(line[4], c.y) || !ParseResourceInt(line[5], c.cx) || !ParseResourceInt(line[6], c.cy))
                return false;
            c.text = line[2];
            c.styles.insert(line.begin() + 7, line.end());
            out.controls.push_back(std::move(c));
        } else {
            return false;
        }
    }
    return header;
}

bool LoadDialogTemplate(int id, DialogTemplate& out)
{
    std::string_view text = FindResourceFile("dialog-" + std::to_string(id) + ".txt");
    return !text.empty() && ParseDialogTemplate(std::string(text), out) && out.id == id;
}

int DialogUnitsToPixelsX(int x, int baseX)
{
    return (x * baseX + 2) / 4;
}

int DialogUnitsToPixelsY(int y, int baseY)
{
    return (y * baseY + 4) / 8;
}
