#include "platform/ui/resources.h"

#include <wx/app.h>
#include <wx/iconbndl.h>
#include <wx/image.h>
#include <wx/mstream.h>

#include <charconv>
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>

namespace quillo_res {
struct EmbeddedFile {
    const char* name;
    const char* data;
    std::size_t size;
};
extern const EmbeddedFile kFiles[];
}  // namespace quillo_res

std::string_view FindResourceFile(std::string_view name)
{
    for (const quillo_res::EmbeddedFile* f = quillo_res::kFiles; f->name; ++f)
        if (name == f->name)
            return {f->data, f->size};
    return {};
}

std::vector<std::vector<std::string>> TokenizeResourceText(std::string_view text)
{
    std::vector<std::vector<std::string>> lines;
    std::vector<std::string> tokens;
    std::size_t i = 0;
    auto endLine = [&] {
        if (!tokens.empty())
            lines.push_back(std::move(tokens));
        tokens.clear();
    };
    while (i < text.size()) {
        char c = text[i];
        if (c == '\n') {
            endLine();
            ++i;
        } else if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '#') {
            while (i < text.size() && text[i] != '\n')
                ++i;
        } else if (c == '"') {
            std::string t;
            for (++i; i < text.size() && text[i] != '"' && text[i] != '\n'; ++i) {
                if (text[i] == '\\' && i + 1 < text.size())
                    ++i;
                t += text[i];
            }
            if (i < text.size() && text[i] == '"')
                ++i;
            tokens.push_back(std::move(t));
        } else {
            std::size_t start = i;
            while (i < text.size() && text[i] != ' ' && text[i] != '\t' && text[i] != '\r' && text[i] != '\n')
                ++i;
            tokens.emplace_back(text.substr(start, i - start));
        }
    }
    endLine();
    return lines;
}

bool ParseResourceInt(const std::string& word, int& value)
{
    const char* end = word.data() + word.size();
    auto [p, ec] = std::from_chars(word.data(), end, value);
    return ec == std::errc() && p == end && !word.empty();
}

namespace {
const std::map<int, std::string>& StringTable()
{
    static const std::map<int, std::string> table = [] {
        std::map<int, std::string> t;
        for (const quillo_res::EmbeddedFile* f = quillo_res::kFiles; f->name; ++f) {
            std::string_view name = f->name;
            if (!name.starts_with("strings") || !name.ends_with(".txt"))
                continue;
            for (const auto& line : TokenizeResourceText({f->data, f->size})) {
                int id = 0;
                if (line.size() == 2 && ParseResourceInt(line[0], id))
                    t[id] = line[1];
            }
        }
        return t;
    }();
    return table;
}
}  // namespace

std::string LoadStringResource(int id)
{
    auto it = StringTable().find(id);
    return it == StringTable().end() ? std::string() : it->second;
}

HICON LoadIconResource(int id)
{
    if (!wxTheApp)
        return nullptr;  // images need the toolkit
    static std::map<int, std::unique_ptr<wxIconBundle>> cache;
    auto& slot = cache[id];
    if (!slot) {
        static const bool handlers = [] {
            wxInitAllImageHandlers();
            return true;
        }();
        (void)handlers;
        auto bundle = std::make_unique<wxIconBundle>();
        for (int size : {16, 24, 32, 48, 64}) {
            std::string_view png = FindResourceFile("icon-" + std::to_string(id) + "-" + std::to_string(size) + ".png");
            if (png.empty())
                continue;
            wxMemoryInputStream in(png.data(), png.size());
            wxImage image(in, wxBITMAP_TYPE_PNG);
            if (image.IsOk()) {
                wxIcon icon;
                icon.CopyFromBitmap(wxBitmap(image));
                bundle->AddIcon(icon);
            }
        }
        if (bundle->IsEmpty())
            return nullptr;
        slot = std::move(bundle);
    }
    return slot.get();
}
