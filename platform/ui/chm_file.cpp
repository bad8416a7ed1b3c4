#include "platform/ui/chm_file.h"

#include <cstdarg>
#include <cstdio>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include <mspack.h>

namespace {

// libmspack reads and writes through a table of functions: reading comes from the help file on
// disk, writing goes into the buffer of the member being extracted.
constexpr const char* kMemoryTarget = "\x01memory";

struct MemorySystem {
    mspack_system sys;      // first, so the library's self pointer leads back here
    std::string* sink = nullptr;
    bool overflow = false;
};

struct SysFile {
    std::FILE* disk = nullptr;
    MemorySystem* memory = nullptr;
};

mspack_file* SysOpen(mspack_system* self, const char* name, int mode)
{
    auto* ms = reinterpret_cast<MemorySystem*>(self);
    auto* f = new SysFile;
    if (std::strcmp(name, kMemoryTarget) == 0 && mode == MSPACK_SYS_OPEN_WRITE && ms->sink != nullptr) {
        f->memory = ms;
    } else if (mode == MSPACK_SYS_OPEN_READ) {
        f->disk = std::fopen(name, "rb");
        if (f->disk == nullptr) {
            delete f;
            return nullptr;
        }
    } else {
        delete f;
        return nullptr;
    }
    return reinterpret_cast<mspack_file*>(f);
}

void SysClose(mspack_file* file)
{
    auto* f = reinterpret_cast<SysFile*>(file);
    if (f != nullptr && f->disk != nullptr)
        std::fclose(f->disk);
    delete f;
}

int SysRead(mspack_file* file, void* buffer, int bytes)
{
    auto* f = reinterpret_cast<SysFile*>(file);
    if (f->disk == nullptr || bytes < 0)
        return -1;
    std::size_t got = std::fread(buffer, 1, static_cast<std::size_t>(bytes), f->disk);
    return std::ferror(f->disk) ? -1 : static_cast<int>(got);
}

int SysWrite(mspack_file* file, void* buffer, int bytes)
{
    auto* f = reinterpret_cast<SysFile*>(file);
    if (f->memory == nullptr || bytes < 0)
        return -1;
    std::string& sink = *f->memory->sink;
    if (sink.size() + static_cast<std::size_t>(bytes) > CChmFile::kMaxMember) {
        f->memory->overflow = true;
        return -1;
    }
    sink.append(static_cast<const char*>(buffer), static_cast<std::size_t>(bytes));
    return bytes;
}

int SysSeek(mspack_file* file, off_t offset, int mode)
{
    auto* f = reinterpret_cast<SysFile*>(file);
    if (f->disk == nullptr)
        return -1;
    int whence = mode == MSPACK_SYS_SEEK_START ? SEEK_SET : mode == MSPACK_SYS_SEEK_CUR ? SEEK_CUR : SEEK_END;
    return fseeko(f->disk, offset, whence) == 0 ? 0 : -1;
}

off_t SysTell(mspack_file* file)
{
    auto* f = reinterpret_cast<SysFile*>(file);
    return f->disk != nullptr ? ftello(f->disk) : static_cast<off_t>(f->memory->sink->size());
}

void SysMessage(mspack_file*, const char*, ...) {}  // a damaged file is reported by its result
void* SysAlloc(mspack_system*, size_t bytes) { return std::malloc(bytes); }
void SysFree(void* ptr) { std::free(ptr); }
void SysCopy(void* src, void* dest, size_t bytes) { std::memmove(dest, src, bytes); }

std::string ReadZeroTerminated(const std::string& bytes, std::size_t from, std::size_t length)
{
    std::string text = bytes.substr(from, length);
    if (std::size_t zero = text.find('\0'); zero != std::string::npos)
        text.resize(zero);
    return text;
}

bool EndsWith(const std::string& text, const char* tail)
{
    std::size_t n = std::strlen(tail);
    if (text.size() < n)
        return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - n + i])) != tail[i])
            return false;
    return true;
}

}  // namespace

struct CChmFile::Impl {
    MemorySystem system;
    mschm_decompressor* decompressor = nullptr;
    mschmd_header* header = nullptr;
    std::string path;  // the library keeps this pointer and opens the file again to extract

    Impl()
    {
        system.sys = mspack_system{SysOpen, SysClose, SysRead, SysWrite, SysSeek, SysTell,
                                   SysMessage, SysAlloc, SysFree, SysCopy, nullptr};
        decompressor = mspack_create_chm_decompressor(&system.sys);
    }
    ~Impl()
    {
        if (header != nullptr)
            decompressor->close(decompressor, header);
        if (decompressor != nullptr)
            mspack_destroy_chm_decompressor(decompressor);
    }
};

CChmFile::CChmFile() : m_impl(std::make_unique<Impl>()) {}
CChmFile::~CChmFile() = default;

bool CChmFile::Open(const std::string& path)
{
    m_impl = std::make_unique<Impl>();
    if (m_impl->decompressor == nullptr)
        return false;
    m_impl->path = path;
    m_impl->header = m_impl->decompressor->open(m_impl->decompressor, m_impl->path.c_str());
    return m_impl->header != nullptr;
}

bool CChmFile::IsOpen() const { return m_impl->header != nullptr; }

bool CChmFile::Read(const std::string& name, std::string& bytes) const
{
    bytes.clear();
    if (!IsOpen())
        return false;
    for (mschmd_file* f = m_impl->header->files; f != nullptr; f = f->next) {
        if (f->filename == nullptr || name != f->filename)
            continue;
        if (f->length < 0 || static_cast<std::size_t>(f->length) > kMaxMember)
            return false;
        m_impl->system.sink = &bytes;
        m_impl->system.overflow = false;
        int err = m_impl->decompressor->extract(m_impl->decompressor, f, kMemoryTarget);
        m_impl->system.sink = nullptr;
        if (err != MSPACK_ERR_OK || m_impl->system.overflow) {
            bytes.clear();
            return false;
        }
        return true;
    }
    return false;
}

std::vector<std::string> CChmFile::Names() const
{
    std::vector<std::string> names;
    if (IsOpen())
        for (mschmd_file* f = m_impl->header->files; f != nullptr; f = f->next)
            if (f->filename != nullptr)
                names.emplace_back(f->filename);
    return names;
}

std::string CChmFile::DefaultTopic() const
{
    // #SYSTEM: a 4-byte version, then records of a 2-byte code, a 2-byte length and the data;
    // code 2 holds the default topic.
    std::string system;
    if (Read("/#SYSTEM", system)) {
        std::size_t pos = 4;
        while (pos + 4 <= system.size()) {
            auto code = static_cast<unsigned>(static_cast<unsigned char>(system[pos]) |
                                              static_cast<unsigned char>(system[pos + 1]) << 8);
            auto length = static_cast<std::size_t>(static_cast<unsigned char>(system[pos + 2]) |
                                                   static_cast<unsigned char>(system[pos + 3]) << 8);
            pos += 4;
            if (pos + length > system.size())
                break;
            if (code == 2) {
                std::string topic = ReadZeroTerminated(system, pos, length);
                if (!topic.empty())
                    return topic.front() == '/' ? topic : "/" + topic;
            }
            pos += length;
        }
    }
    for (const std::string& name : Names())
        if (EndsWith(name, ".html") || EndsWith(name, ".htm"))
            return name;
    return {};
}
