#include "mime/mime_part.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <utility>

#include "mime/header_value.h"
#include "mime/quoted_printable.h"
#include "platform/uuid.h"

namespace {

constexpr std::size_t kBase64LineLength = 76;

// Hands the text out as a new zero-terminated buffer.
bool Hand(const std::string& text, char*& buffer, std::size_t& length)
{
    buffer = new char[text.size() + 1];
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    length = text.size();
    return true;
}

// A name= or filename= value: a token as it is, anything a reader would cut short as a quoted
// string with backslash and double quote escaped.
std::string ParameterValue(const std::string& raw)
{
    const std::string value = OneLineValue(raw);
    bool plain = !value.empty();
    for (const char c : value) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b == 0x7F || std::strchr("()<>@,;:\\\"/[]?=", c)) {
            plain = false;
            break;
        }
    }
    if (plain) return value;
    std::string quoted = "\"";
    for (const char c : value) {
        if (c == '\\' || c == '"') quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

// Reads the whole of an existing regular file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& data)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
              static_cast<unsigned long long>(st.st_size) <= CBase64Codec::kMaxEncodeLength;
    if (ok) {
        data.resize(static_cast<std::size_t>(st.st_size));
        std::size_t done = 0;
        while (ok && done < data.size()) {
            const ssize_t got = ::read(fd, data.data() + done, data.size() - done);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) ok = false;  // an error, or the file shrank under us
            else done += static_cast<std::size_t>(got);
        }
    }
    ::close(fd);
    return ok;
}

}  // namespace

CMimePart::CMimePart() : m_boundary(CreateUuidString()) {}

CMimePart::CMimePart(const CMimePart& other)
{
    CopyFrom(other);
}

CMimePart& CMimePart::operator=(const CMimePart& other)
{
    if (this == &other) return *this;
    // The source may lie inside this part's own subtree: copy it before the children go.
    CMimePart copy(other);
    DeleteChildren();
    CopyFrom(copy);
    return *this;
}

CMimePart::~CMimePart()
{
    DeleteChildren();
}

void CMimePart::CopyFrom(const CMimePart& other)
{
    m_filePath = other.m_filePath;
    m_text = other.m_text;
    m_attachmentName = other.m_attachmentName;
    m_contentType = other.m_contentType;
    m_charset = other.m_charset;
    m_contentBase = other.m_contentBase;
    m_contentId = other.m_contentId;
    m_contentLocation = other.m_contentLocation;
    m_parent = other.m_parent;
    m_boundary = other.m_boundary;
    m_qpEncode = other.m_qpEncode;
    m_children.reserve(other.m_children.size());
    for (const CMimePart* child : other.m_children) {
        auto copy = std::make_unique<CMimePart>(*child);
        copy->m_parent = this;
        m_children.push_back(copy.release());
    }
}

void CMimePart::DeleteChildren()
{
    for (CMimePart* child : m_children) delete child;
    m_children.clear();
}

void CMimePart::AssignText(const std::string& text)
{
    // Every CR LF, lone CR and lone LF becomes one CR LF; a period that starts a line is doubled.
    std::string stored;
    stored.reserve(text.size() + text.size() / 16 + 2);
    bool lineStart = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            stored += "\r\n";
            lineStart = true;
            continue;
        }
        if (lineStart && c == '.') stored += '.';
        stored += c;
        lineStart = false;
    }
    m_text = std::move(stored);
    m_contentType = "text/plain";
}

int CMimePart::AppendChild(const CMimePart& part)
{
    auto copy = std::make_unique<CMimePart>(part);
    copy->m_parent = this;
    m_children.push_back(copy.release());
    return static_cast<int>(m_children.size()) - 1;
}

int CMimePart::ChildCount() const
{
    return static_cast<int>(m_children.size());
}

const CMimePart* CMimePart::ChildAt(int index) const
{
    return const_cast<CMimePart*>(this)->ChildAt(index);
}

CMimePart* CMimePart::ChildAt(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_children.size()) return nullptr;
    return m_children[static_cast<std::size_t>(index)];
}

CMimePart* CMimePart::FindChildByType(const std::string& type)
{
    for (CMimePart* child : m_children) {
        if (child->m_contentType == type) return child;
    }
    return nullptr;
}

bool CMimePart::EmitHeader(char*& buffer, std::size_t& length) const
{
    const std::string parentBoundary = OneLineValue(m_parent ? m_parent->m_boundary : std::string());
    const std::string type = OneLineValue(m_contentType);
    const std::string charset = OneLineValue(m_charset);
    const std::string ownBoundary = OneLineValue(m_boundary);
    const bool hasChildren = !m_children.empty();
    std::string header;
    if (!m_filePath.empty()) {
        const std::string name = ParameterValue(m_attachmentName);
        header = "\r\n\r\n--" + parentBoundary + "\r\nContent-Type: " + type + "; charset=" + charset +
                 "; name=" + name;
        if (hasChildren) header += "; Boundary=\"" + ownBoundary + "\"";
        header += "\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment; filename=" +
                  name + "\r\n";
    } else {
        header = "\r\n--" + parentBoundary + "\r\nContent-Type: " + type + "; charset=" + charset;
        if (hasChildren) header += "; Boundary=\"" + ownBoundary + "\"";
        header += "\r\n";
        // A multipart entity may only be 7bit, 8bit or binary: no quoted-printable label there.
        if (m_qpEncode && !hasChildren) header += "Content-Transfer-Encoding: quoted-printable\r\n";
    }
    if (!m_contentBase.empty()) header += "Content-Base: " + OneLineValue(m_contentBase) + "\r\n";
    if (!m_contentId.empty()) header += "Content-ID: " + OneLineValue(m_contentId) + "\r\n";
    if (!m_contentLocation.empty()) header += "Content-Location: " + OneLineValue(m_contentLocation) + "\r\n";
    header += "\r\n";
    return Hand(header, buffer, length);
}

bool CMimePart::EmitBody(char*& buffer, std::size_t& length) const
{
    if (!m_filePath.empty()) return EmitAttachment(buffer, length);
    return Hand(m_qpEncode ? ::QpEncode(m_text) : m_text, buffer, length);
}

bool CMimePart::EmitAttachment(char*& buffer, std::size_t& length) const
{
    buffer = nullptr;
    length = 0;
    std::string data;
    if (!ReadWholeFile(m_filePath, data)) return false;
    if (data.empty()) return true;
    m_base64.EncodeBuffer(data.data(), static_cast<std::uint32_t>(data.size()));
    std::string().swap(data);  // frees the file buffer (assigning an empty string would keep it)
    const char* text = m_base64.GetBase64Text();
    const std::size_t textLength = m_base64.GetBase64Length();
    const std::size_t lines = (textLength + kBase64LineLength - 1) / kBase64LineLength;
    length = textLength + 2 * lines;
    buffer = new char[length + 1];
    char* out = buffer;
    for (std::size_t offset = 0; offset < textLength; offset += kBase64LineLength) {
        const std::size_t take = std::min(kBase64LineLength, textLength - offset);
        std::memcpy(out, text + offset, take);
        out += take;
        *out++ = '\r';
        *out++ = '\n';
    }
    *out = '\0';
    return true;
}

bool CMimePart::EmitClosing(char*& buffer, std::size_t& length) const
{
    return Hand("\r\n--" + OneLineValue(m_boundary) + "--", buffer, length);
}

void CMimePart::DiscardBuffer(char*& buffer)
{
    delete[] buffer;
    buffer = nullptr;
}
