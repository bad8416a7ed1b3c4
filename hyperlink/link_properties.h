#pragma once
// The "Properties" sheet of a link: one "General" page (template 105) showing the link's caption
// and address, read-only; OK, Cancel and Help, no Apply.
#include "platform/ui/property_sheet.h"

class CLinkLabel;

class CHLinkPage : public CPropertyPage {
public:
    CHLinkPage();

    CLinkLabel* m_link = nullptr;  // not owned; set by the Properties command

protected:
    bool OnInitDialog() override;
};

class CHLinkSheet : public CPropertySheet {
public:
    CHLinkSheet(int captionId, CWnd* parent, int selectPage);

    CHLinkPage m_page;
};
