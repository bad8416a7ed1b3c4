#pragma once
// The shell's Internet shortcut object: holds one address, opens it in the user's browser and
// saves it as an Internet shortcut file:
//   [InternetShortcut]
//   URL=http://example.org/
// (CR LF line ends, as the shell writes them).
#include <cstdint>
#include <string>

class CWnd;

inline constexpr unsigned IURL_SETURL_FL_GUESS_PROTOCOL = 1;
inline constexpr unsigned IURL_INVOKECOMMAND_FL_ALLOW_UI = 1;

struct URLINVOKECOMMANDINFO {
    std::uint32_t dwcbSize = 16;
    std::uint32_t dwFlags = 0;
    const CWnd* hwndParent = nullptr;
    const char* pcszVerb = nullptr;
};

class CInternetShortcut {
public:
    // Stores the address. With IURL_SETURL_FL_GUESS_PROTOCOL an address without a scheme gets
    // one ("ftp://" for a host starting "ftp.", "http://" otherwise). Fails, keeping the old
    // address, for an empty address or one holding control characters (a shortcut file must
    // stay one line per value).
    bool SetURL(const char* url, unsigned flags);
    const std::string& GetURL() const { return m_url; }

    // Opens the address in the user's browser (the verb "open" or none).
    bool InvokeCommand(const URLINVOKECOMMANDINFO& info) const;

    // Writes the shortcut file at path. Fails, writing nothing, when no address is set, the path
    // does not fit MAX_PATH, a name in it holds a character that file names cannot hold
    // (: * ? " < > | or a control character), or the folder does not exist. A file already there
    // is replaced whole or not at all.
    bool Save(const char* path, bool remember);

private:
    std::string m_url;
    std::string m_savedPath;
};

// The address as SetURL with protocol guessing stores it.
std::string GuessUrlProtocol(const std::string& url);
