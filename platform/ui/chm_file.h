#pragma once
// Read access to a compiled HTML help file: its pages by name and its default topic.
#include <memory>
#include <string>
#include <vector>

class CChmFile {
public:
    CChmFile();
    ~CChmFile();
    CChmFile(const CChmFile&) = delete;
    CChmFile& operator=(const CChmFile&) = delete;

    bool Open(const std::string& path);   // false for a missing or malformed file
    bool IsOpen() const;

    // The bytes of one member ("/index.html"); false when it is missing, unreadable or larger
    // than kMaxMember.
    bool Read(const std::string& name, std::string& bytes) const;

    // The member the file names as its default topic ("/index.html"), else the first page.
    std::string DefaultTopic() const;
    std::vector<std::string> Names() const;

    static constexpr std::size_t kMaxMember = 16u << 20;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
