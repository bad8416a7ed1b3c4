#include "platform/ui/html_help.h"

#include "platform/ui/chm_file.h"
#include "platform/ui/shell_launch.h"

#include <climits>
#include <memory>
#include <unistd.h>
#include <sys/stat.h>

#include <wx/app.h>
#include <wx/filesys.h>
#include <wx/frame.h>
#include <wx/html/htmlwin.h>
#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/sizer.h>

namespace {

constexpr const char* kProtocol = "quillohelp";

// The open help file, served to the HTML window as "quillohelp:/page.html".
std::shared_ptr<CChmFile>& OpenBook()
{
    static std::shared_ptr<CChmFile> book;
    return book;
}

std::string& BookName()
{
    static std::string name;
    return name;
}

class HelpFileSystem : public wxFileSystemHandler {
public:
    bool CanOpen(const wxString& location) override { return GetProtocol(location) == kProtocol; }

    wxFSFile* OpenFile(wxFileSystem&, const wxString& location) override
    {
        std::shared_ptr<CChmFile> book = OpenBook();
        if (!book)
            return nullptr;
        std::string name = GetRightLocation(location).utf8_string();
        if (name.empty() || name.front() != '/')
            name.insert(name.begin(), '/');
        std::string bytes;
        if (!book->Read(name, bytes))
            return nullptr;
        // The input stream takes its own copy of what the output stream holds.
        wxMemoryOutputStream buffer;
        buffer.Write(bytes.data(), bytes.size());
        return new wxFSFile(new wxMemoryInputStream(buffer), location, GetMimeTypeFromExt(location), GetAnchor(location),
                            wxDateTime::Now());
    }
};

class HelpPage : public wxHtmlWindow {
public:
    explicit HelpPage(wxWindow* parent) : wxHtmlWindow(parent, wxID_ANY) {}

    void OnLinkClicked(const wxHtmlLinkInfo& link) override
    {
        wxString href = link.GetHref();
        wxString protocol = href.BeforeFirst(':', nullptr);
        bool outside = href.Find(':') != wxNOT_FOUND && protocol != kProtocol && protocol.length() > 1;
        if (outside) {
            LaunchInBrowser(href.utf8_string());
            return;
        }
        wxLogNull quiet;  // a broken link inside the file shows nothing rather than a box
        LoadPage(href);
    }
};

class HelpViewer : public wxFrame {
public:
    HelpViewer()
        : wxFrame(nullptr, wxID_ANY, "Quillo Help", wxDefaultPosition, wxSize(560, 480))
    {
        m_page = new HelpPage(this);
        m_page->SetName("help page");
        m_page->SetRelatedFrame(this, "%s");
        auto* sizer = new wxBoxSizer(wxVERTICAL);
        sizer->Add(m_page, 1, wxEXPAND);
        SetSizer(sizer);
        Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& event) {
            s_viewer = nullptr;
            event.Skip();
        });
    }
    ~HelpViewer() override
    {
        if (s_viewer == this)
            s_viewer = nullptr;
    }

    bool ShowTopic(const std::string& topic)
    {
        wxLogNull quiet;
        return m_page->LoadPage(wxString(kProtocol) + ":" + wxString::FromUTF8(topic.c_str()));
    }
    wxString Location() const { return m_page->GetOpenedPage(); }

    static HelpViewer* s_viewer;

private:
    HelpPage* m_page = nullptr;
};

HelpViewer* HelpViewer::s_viewer = nullptr;

bool IsRegularFile(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string ExecutableFolder()
{
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return {};
    std::string path(buffer, static_cast<std::size_t>(n));
    return path.substr(0, path.rfind('/'));
}

}  // namespace

std::string LocateHelpFile(const std::string& file)
{
    if (file.empty())
        return {};
    if (file.find('/') != std::string::npos)
        return IsRegularFile(file) ? file : std::string();
    if (IsRegularFile(file))
        return file;
    std::string beside = ExecutableFolder() + "/" + file;
    return IsRegularFile(beside) ? beside : std::string();
}

HelpWindowHandle HtmlHelpA(const CWnd*, const char* file, unsigned command, std::uintptr_t data)
{
    if (command != HH_DISPLAY_TOPIC || file == nullptr)
        return nullptr;
    if (wxTheApp == nullptr || !wxTheApp->IsGUI())
        return nullptr;
    std::string path = LocateHelpFile(file);
    if (path.empty())
        return nullptr;
    auto book = std::make_shared<CChmFile>();
    if (!book->Open(path))
        return nullptr;
    std::string topic = data != 0 ? std::string(reinterpret_cast<const char*>(data)) : book->DefaultTopic();
    if (topic.empty())
        return nullptr;
    if (topic.front() != '/')
        topic.insert(topic.begin(), '/');

    static bool registered = false;
    if (!registered) {
        wxFileSystem::AddHandler(new HelpFileSystem);
        registered = true;
    }
    OpenBook() = book;
    BookName() = file;
    if (HelpViewer::s_viewer == nullptr)
        HelpViewer::s_viewer = new HelpViewer;
    HelpViewer* viewer = HelpViewer::s_viewer;
    if (!viewer->ShowTopic(topic))
        return nullptr;
    viewer->Show();
    viewer->Raise();
    return viewer;
}

std::string HelpViewerPage()
{
    if (HelpViewer::s_viewer == nullptr)
        return {};
    wxString location = HelpViewer::s_viewer->Location();
    wxString prefix = wxString(kProtocol) + ":";
    if (location.StartsWith(prefix))
        location = location.Mid(prefix.length());
    return BookName() + ":" + location.utf8_string();
}
