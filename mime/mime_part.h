#pragma once
// One node of a message body: a text part, a file attachment, or a container of children that
// go out between boundary delimiters. A part produces the three pieces the transmitter sends for
// it (header block, body, closing delimiter) as fresh buffers; it never touches the network.
#include <cstddef>
#include <string>
#include <vector>

#include "mime/base64_codec.h"

class CMimePart {
public:
    // "text/plain", charset "utf-8", a fresh UUID as boundary, quoted-printable on.
    CMimePart();
    // Copies every field and the whole subtree (each child copied and re-parented); the copy has
    // its own codec and takes over the source's boundary.
    CMimePart(const CMimePart& other);
    CMimePart& operator=(const CMimePart& other);
    virtual ~CMimePart();

    // Stores a text body with CR LF line ends and periods doubled at line starts; the content type
    // becomes "text/plain".
    void AssignText(const std::string& text);
    // Appends a deep copy of part as the last child; returns its index. The caller keeps part.
    int AppendChild(const CMimePart& part);
    int ChildCount() const;
    // index should lie in 0 .. ChildCount() - 1; null otherwise.
    const CMimePart* ChildAt(int index) const;
    CMimePart* ChildAt(int index);
    // The first direct child whose content type equals type byte for byte, or null.
    CMimePart* FindChildByType(const std::string& type);
    const CMimePart* Parent() const { return m_parent; }

    // Each returns true with buffer set to a new zero-terminated buffer and length the number of
    // bytes to send (the zero not counted); release it with DiscardBuffer.
    // The header block; meant for parts that have a parent (the message header stands in for
    // the root's).
    bool EmitHeader(char*& buffer, std::size_t& length) const;
    // Quoted-printable (or literal) text, or the attached file as base64 lines of 76 characters.
    // Fails when the attached file cannot be read; an empty file gives no buffer and length 0.
    bool EmitBody(char*& buffer, std::size_t& length) const;
    // "\r\n--boundary--", for parts that have children.
    bool EmitClosing(char*& buffer, std::size_t& length) const;
    // Frees a buffer made by one of the Emit operations and sets the pointer to null.
    static void DiscardBuffer(char*& buffer);

    std::string Text() const { return m_text; }
    std::string ContentType() const { return m_contentType; }
    std::string Charset() const { return m_charset; }
    std::string Boundary() const { return m_boundary; }
    std::string FilePath() const { return m_filePath; }
    std::string AttachmentName() const { return m_attachmentName; }
    std::string ContentBase() const { return m_contentBase; }
    std::string ContentId() const { return m_contentId; }
    std::string ContentLocation() const { return m_contentLocation; }
    bool QpEncode() const { return m_qpEncode; }

    void SetContentType(const std::string& type) { m_contentType = type; }
    void SetCharset(const std::string& charset) { m_charset = charset; }
    // A non-empty path makes the part an attachment of that file.
    void SetFilePath(const std::string& path) { m_filePath = path; }
    void SetAttachmentName(const std::string& name) { m_attachmentName = name; }
    void SetContentBase(const std::string& value) { m_contentBase = value; }
    void SetContentId(const std::string& value) { m_contentId = value; }
    void SetContentLocation(const std::string& value) { m_contentLocation = value; }
    void SetQpEncode(bool on) { m_qpEncode = on; }
    void SetBoundary(const std::string& boundary) { m_boundary = boundary; }

private:
    void CopyFrom(const CMimePart& other);
    void DeleteChildren();
    bool EmitAttachment(char*& buffer, std::size_t& length) const;

    std::string m_filePath;
    std::string m_attachmentName;
    std::string m_contentType = "text/plain";
    std::string m_charset = "utf-8";
    std::string m_contentBase;
    std::string m_contentId;
    std::string m_contentLocation;
    std::string m_text;
    // Only an attachment's body changes it, so emitting stays a read of the part.
    mutable CBase64Codec m_base64;
    std::vector<CMimePart*> m_children;
    CMimePart* m_parent = nullptr;
    std::string m_boundary;
    bool m_qpEncode = true;
};
