#pragma once
// Dialogs built from the program's templates: run modally, exchange data with their controls,
// OK (1) and Cancel (2) handling, Enter for the default button and Esc for Cancel.
#include "platform/ui/dialog_template.h"
#include "platform/ui/wnd.h"

#include <vector>

class CDataExchange;
class wxGUIEventLoop;

class CDialog : public CWnd {
public:
    // parent null: the application's main window owns the dialog (if there is one).
    explicit CDialog(int templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Creates the window from the template, initialises it, runs it until EndDialog and returns
    // the result given there (-1 when the window cannot be made).
    virtual int DoModal();
    void EndDialog(int result);

    // Saves the controls into the fields (true) or loads the fields into the controls (false);
    // false when a validation failed.
    bool UpdateData(bool saveAndValidate = true);

    // The toolkit control with a template id (1 and 2 are OK and Cancel), or null.
    wxWindow* GetDlgItem(int controlId) const;
    void GotoDlgCtrl(wxWindow* control);

    int GetTemplateId() const { return m_templateId; }
    const DialogTemplate& GetTemplate() const { return m_template; }

    static const MessageMap* ClassMessageMap();
    const MessageMap* GetMessageMap() const override { return ClassMessageMap(); }

    // Builds the template's controls on parent (a dialog's panel or a property page) with the
    // dialog font and returns them in template order. Exposed for classes that host templates
    // elsewhere; the size of the whole template in pixels is DialogSizeInPixels.
    static std::vector<wxWindow*> CreateControls(const DialogTemplate& tmpl, wxWindow* parent);
    static void DialogSizeInPixels(const DialogTemplate& tmpl, wxWindow* parent, int& width, int& height);

protected:
    virtual bool OnInitDialog();
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual void OnOK();
    virtual void OnCancel();

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    friend class CDataExchange;
    friend void DDX_Control(CDataExchange*, int, CWnd&);

    bool CreateWindowFromTemplate();
    void BindEvents();
    void DestroyWindow();
    void SetInitialFocus();
    bool HandleKey(int keyCode, bool ctrl, bool alt, bool shift);

    int m_templateId;
    CWnd* m_parent;
    DialogTemplate m_template;
    wxWindow* m_client = nullptr;     // the window holding the controls (a panel on a frame)
    std::vector<wxWindow*> m_controls;  // in template order
    std::vector<CWnd*> m_attached;    // controls bound by the data exchange
    wxGUIEventLoop* m_loop = nullptr;
    bool m_ended = false;
    int m_result = -1;
};

// The data exchange between a dialog's controls and its fields.
class CDataExchange {
public:
    CDataExchange(CDialog* dialog, bool saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}

    CDialog* m_pDlgWnd;
    bool m_bSaveAndValidate;

    // The control that the next validation refers to; null when the dialog has no such control.
    wxWindow* PrepareCtrl(int controlId);
    // Ends the exchange as failed: the focus goes back to the last control prepared, its text
    // selected; later exchanges of this pass do nothing.
    void Fail();
    bool Failed() const { return m_failed; }
    wxWindow* LastControl() const { return m_lastControl; }

private:
    wxWindow* m_lastControl = nullptr;
    bool m_failed = false;
};

// Binds control to the dialog's control id (once).
void DDX_Control(CDataExchange* pDX, int controlId, CWnd& control);
// Text of an edit control <-> value (UTF-8).
void DDX_Text(CDataExchange* pDX, int controlId, std::string& value);
// At most count characters (not bytes): limits the control when loading, refuses a longer value
// with "Please enter no more than %1 characters." when saving.
void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int count);

// Characters of UTF-8 text.
std::size_t Utf8Length(const std::string& text);
// Limits what the user can type or paste into an edit control to count characters, also where the
// toolkit cannot (multi-line fields). Text set by the program is not cut (SetTextUnlimited).
void LimitText(wxWindow* edit, int count);
class wxTextCtrl;
void SetTextUnlimited(wxTextCtrl* text, const std::string& value);
