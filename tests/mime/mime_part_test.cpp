#include "mime/mime_part.h"

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace {

// A piece made by an Emit operation, as the transmitter would send it.
struct Piece {
    bool ok = false;
    std::string bytes;
    bool hadBuffer = false;
};

template <typename Emit>
Piece Take(const CMimePart& part, Emit emit)
{
    char* buffer = reinterpret_cast<char*>(1);  // must be overwritten
    std::size_t length = 12345;
    Piece piece;
    piece.ok = (part.*emit)(buffer, length);
    if (piece.ok) {
        piece.hadBuffer = buffer != nullptr;
        if (buffer) {
            EXPECT_EQ(buffer[length], '\0');
            piece.bytes.assign(buffer, length);
        } else {
            EXPECT_EQ(length, 0u);
        }
        CMimePart::DiscardBuffer(buffer);
        EXPECT_EQ(buffer, nullptr);
    }
    return piece;
}

std::string Header(const CMimePart& part) { return Take(part, &CMimePart::EmitHeader).bytes; }
std::string Body(const CMimePart& part) { return Take(part, &CMimePart::EmitBody).bytes; }

using MimePartFiles = TempFolderTest;

}  // namespace

TEST(MimePart, DefaultsAndBoundary)
{
    const CMimePart part;
    EXPECT_EQ(part.ContentType(), "text/plain");
    EXPECT_EQ(part.Charset(), "utf-8");  // text in this program is UTF-8
    EXPECT_TRUE(part.QpEncode());
    EXPECT_EQ(part.ChildCount(), 0);
    EXPECT_EQ(part.Parent(), nullptr);
    const std::string boundary = part.Boundary();
    ASSERT_EQ(boundary.size(), 36u);
    for (std::size_t i = 0; i < boundary.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        EXPECT_EQ(boundary[i] == '-', dash) << boundary;
        if (!dash) {
            EXPECT_NE(std::string("0123456789abcdef").find(boundary[i]), std::string::npos) << boundary;
        }
    }
    EXPECT_NE(part.Boundary(), CMimePart().Boundary());
}

TEST(MimePart, AssignTextNormalisesLineEndsAndDoublesLeadingPeriods)
{
    const struct { std::string text; std::string stored; } cases[] = {
        {"a\nb", "a\r\nb"},
        {"a\rb", "a\r\nb"},
        {"a\r\nb", "a\r\nb"},
        {"a\r\r\nb", "a\r\n\r\nb"},
        {"a\n\rb", "a\r\n\r\nb"},
        {"\n\n", "\r\n\r\n"},
        {"one\n.two\n..three\nfour.five", "one\r\n..two\r\n...three\r\nfour.five"},
        {".first", "..first"},
        {"x\r.\ry", "x\r\n..\r\ny"},
        {"", ""},
    };
    for (const auto& c : cases) {
        CMimePart part;
        part.SetContentType("multipart/mixed");
        part.AssignText(c.text);
        EXPECT_EQ(part.Text(), c.stored) << c.text;
        EXPECT_EQ(part.ContentType(), "text/plain");
    }
}

TEST(MimePart, EmitHeaderForms)
{
    CMimePart parent;
    parent.SetBoundary("PB");
    CMimePart grandchild;

    struct Case {
        const char* name;
        std::string filePath;
        bool children;
        bool qp;
        std::string header;
    };
    const Case cases[] = {
        {"attachment container", "/x", true, true,
         "\r\n\r\n--PB\r\nContent-Type: image/png; charset=utf-8; name=a.png; Boundary=\"OWN\"\r\n"
         "Content-Transfer-Encoding: base64\r\nContent-Disposition: attachment; filename=a.png\r\n\r\n"},
        {"attachment", "/x", false, false,
         "\r\n\r\n--PB\r\nContent-Type: image/png; charset=utf-8; name=a.png\r\n"
         "Content-Transfer-Encoding: base64\r\nContent-Disposition: attachment; filename=a.png\r\n\r\n"},
        // A multipart entity never carries a quoted-printable label, whatever the flag says.
        {"container, qp on", "", true, true,
         "\r\n--PB\r\nContent-Type: image/png; charset=utf-8; Boundary=\"OWN\"\r\n\r\n"},
        {"container, qp off", "", true, false,
         "\r\n--PB\r\nContent-Type: image/png; charset=utf-8; Boundary=\"OWN\"\r\n\r\n"},
        {"text, qp on", "", false, true,
         "\r\n--PB\r\nContent-Type: image/png; charset=utf-8\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"},
        {"text, qp off", "", false, false, "\r\n--PB\r\nContent-Type: image/png; charset=utf-8\r\n\r\n"},
    };
    for (const auto& c : cases) {
        CMimePart child;
        child.SetFilePath(c.filePath);
        child.SetAttachmentName("a.png");
        child.SetContentType("image/png");
        child.SetQpEncode(c.qp);
        child.SetBoundary("OWN");
        if (c.children) child.AppendChild(grandchild);
        CMimePart holder = parent;
        holder.AppendChild(child);
        EXPECT_EQ(Header(*holder.ChildAt(0)), c.header) << c.name;
    }
}

TEST(MimePart, OptionalHeaderLinesComeInOrderBeforeTheEmptyLine)
{
    CMimePart parent, child;
    parent.SetBoundary("B");
    child.SetCharset("iso-8859-1");
    child.SetContentLocation("loc");
    child.SetContentId("<id@x>");
    child.SetContentBase("http://base/");
    parent.AppendChild(child);
    EXPECT_EQ(Header(*parent.ChildAt(0)),
              "\r\n--B\r\nContent-Type: text/plain; charset=iso-8859-1\r\n"
              "Content-Transfer-Encoding: quoted-printable\r\n"
              "Content-Base: http://base/\r\nContent-ID: <id@x>\r\nContent-Location: loc\r\n\r\n");
}

// A name with spaces or specials is a quoted string, so readers see all of it.
TEST(MimePart, AttachmentNamesAreQuotedWhenTheyNeedIt)
{
    const struct { std::string name; std::string written; } cases[] = {
        {"report.pdf", "report.pdf"},
        {"my report.pdf", "\"my report.pdf\""},
        {"a;b=c.txt", "\"a;b=c.txt\""},
        {"say \"hi\"\\now.txt", "\"say \\\"hi\\\"\\\\now.txt\""},
        {"(x)<y>@z,[1]:?/.txt", "\"(x)<y>@z,[1]:?/.txt\""},
        {"", "\"\""},
    };
    for (const auto& c : cases) {
        CMimePart parent, child;
        parent.SetBoundary("B");
        child.SetFilePath("/x");
        child.SetAttachmentName(c.name);
        parent.AppendChild(child);
        const std::string header = Header(*parent.ChildAt(0));
        EXPECT_NE(header.find("; name=" + c.written + "\r\n"), std::string::npos) << header;
        EXPECT_NE(header.find("; filename=" + c.written + "\r\n"), std::string::npos) << header;
    }
}

TEST(MimePart, HeaderValuesCannotAddLines)
{
    CMimePart parent, child;
    parent.SetBoundary("B");
    child.SetContentType("text/plain\r\nX-Evil: 1");
    child.SetContentId("<a>\r\n\r\nbody");
    parent.AppendChild(child);
    const std::string header = Header(*parent.ChildAt(0));
    EXPECT_EQ(header.find("\r\nX-Evil"), std::string::npos) << header;
    EXPECT_NE(header.find("Content-Type: text/plain X-Evil: 1; charset=utf-8\r\n"), std::string::npos);
    EXPECT_NE(header.find("Content-ID: <a> body\r\n\r\n"), std::string::npos);
}

TEST(MimePart, TextBodyIsQuotedPrintableWhenAsked)
{
    CMimePart part;
    part.AssignText("caf\xc3\xa9 = ok\n.x");
    EXPECT_EQ(Body(part), "caf=C3=A9 =3D ok\r\n..x");
    part.SetQpEncode(false);
    EXPECT_EQ(Body(part), "caf\xc3\xa9 = ok\r\n..x");
}

TEST_F(MimePartFiles, AttachmentBodyIsBase64InLinesOf76)
{
    const struct { std::size_t size; std::string lines; } cases[] = {
        {1, "AA==\r\n"},
        {57, std::string(76, 'A') + "\r\n"},
        {58, std::string(76, 'A') + "\r\nAA==\r\n"},
        {114, std::string(76, 'A') + "\r\n" + std::string(76, 'A') + "\r\n"},
    };
    for (const auto& c : cases) {
        CMimePart part;
        part.SetFilePath(Write("zeros" + std::to_string(c.size), std::string(c.size, '\0')));
        const Piece body = Take(part, &CMimePart::EmitBody);
        ASSERT_TRUE(body.ok);
        EXPECT_EQ(body.bytes, c.lines) << c.size;
    }
    CMimePart part;
    part.SetFilePath(Write("abc", "ABC\xff"));
    EXPECT_EQ(Body(part), "QUJD/w==\r\n");
}

TEST_F(MimePartFiles, MissingFileFailsAndEmptyFileGivesNoBytes)
{
    CMimePart missing;
    missing.SetFilePath((m_dir / "nowhere.bin").string());
    EXPECT_FALSE(Take(missing, &CMimePart::EmitBody).ok);

    CMimePart folder;
    folder.SetFilePath(m_dir.string());
    EXPECT_FALSE(Take(folder, &CMimePart::EmitBody).ok);

    CMimePart empty;
    empty.SetFilePath(Write("empty", ""));
    const Piece body = Take(empty, &CMimePart::EmitBody);
    EXPECT_TRUE(body.ok);
    EXPECT_FALSE(body.hadBuffer);
}

TEST(MimePart, EmitClosingIsTheDelimiterAlone)
{
    CMimePart part;
    part.SetBoundary("B-1");
    EXPECT_EQ(Take(part, &CMimePart::EmitClosing).bytes, "\r\n--B-1--");
    char* none = nullptr;
    CMimePart::DiscardBuffer(none);
    EXPECT_EQ(none, nullptr);
}

TEST(MimePart, AppendChildStoresADeepCopy)
{
    CMimePart leaf;
    leaf.AssignText("leaf");
    CMimePart branch;
    branch.SetContentType("multipart/alternative");
    branch.AppendChild(leaf);
    branch.AppendChild(leaf);

    CMimePart root;
    EXPECT_EQ(root.AppendChild(branch), 0);
    EXPECT_EQ(root.AppendChild(leaf), 1);
    branch.ChildAt(0)->AssignText("changed later");
    leaf.AssignText("changed too");

    CMimePart* copy = root.ChildAt(0);
    EXPECT_EQ(copy->Parent(), &root);
    EXPECT_EQ(copy->Boundary(), branch.Boundary());
    ASSERT_EQ(copy->ChildCount(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(copy->ChildAt(i)->Parent(), copy);
        EXPECT_EQ(copy->ChildAt(i)->Text(), "leaf");
    }
    EXPECT_EQ(root.ChildAt(1)->Text(), "leaf");
    EXPECT_EQ(root.ChildAt(2), nullptr);
    EXPECT_EQ(root.ChildAt(-1), nullptr);
    EXPECT_EQ(branch.ChildCount(), 2);
    EXPECT_EQ(branch.Parent(), nullptr);
}

TEST(MimePart, AssignmentReplacesTheTreeEvenFromInsideIt)
{
    CMimePart inner;
    inner.AssignText("inner");
    inner.AppendChild(CMimePart());
    CMimePart root;
    root.AppendChild(inner);
    root.AppendChild(CMimePart());

    root = *root.ChildAt(0);  // the source lives in the target's own subtree
    EXPECT_EQ(root.Text(), "inner");
    ASSERT_EQ(root.ChildCount(), 1);
    EXPECT_EQ(root.ChildAt(0)->Parent(), &root);

    CMimePart other;
    other = root;
    EXPECT_EQ(other.ChildAt(0)->Parent(), &other);
    other = other;
    EXPECT_EQ(other.ChildCount(), 1);
}

TEST(MimePart, FindChildByTypeLooksAtDirectChildrenExactly)
{
    CMimePart html, text, nested;
    html.SetContentType("text/html");
    nested.SetContentType("multipart/alternative");
    nested.AppendChild(CMimePart());  // a text/plain grandchild
    text.AssignText("t");
    CMimePart root;
    root.AppendChild(html);
    root.AppendChild(nested);
    EXPECT_EQ(root.FindChildByType("text/plain"), nullptr);
    root.AppendChild(text);
    root.AppendChild(text);
    EXPECT_EQ(root.FindChildByType("text/plain"), root.ChildAt(2));
    EXPECT_EQ(root.FindChildByType("TEXT/PLAIN"), nullptr);
    EXPECT_EQ(root.FindChildByType("text/html"), root.ChildAt(0));
}
