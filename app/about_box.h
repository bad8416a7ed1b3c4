#pragma once
// The About box: the program's icon, name and version, a notice line and a link to Quillo's web
// page (template 100).
#include "hyperlink/link_label.h"
#include "platform/ui/dialog.h"

// Quillo's web page: the text of control 1007 in template 100 and the address the link opens.
inline constexpr const char* kQuilloWebPage = "https://quillo.example.org/";

class CAboutBox : public CDialog {
public:
    CAboutBox();

    CLinkLabel m_link;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    bool OnInitDialog() override;
};

// Runs a new About box modally; its result is of no interest.
void ShowAboutBox();
