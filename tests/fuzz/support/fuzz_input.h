#pragma once
// Cuts a fuzz input into the pieces a target needs. Fields are separated by the byte 0x1F (the
// ASCII unit separator), so seed files stay readable and a field may hold any other byte,
// CR, LF and NUL included. Reads past the end give zeros and empty fields.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class FuzzInput {
public:
    static constexpr char kSeparator = '\x1f';

    FuzzInput(const std::uint8_t* data, std::size_t size)
        : m_rest(reinterpret_cast<const char*>(data), data ? size : 0) {}

    bool Empty() const { return m_rest.empty(); }

    std::uint8_t TakeByte()
    {
        if (m_rest.empty())
            return 0;
        const auto b = static_cast<std::uint8_t>(m_rest.front());
        m_rest.remove_prefix(1);
        return b;
    }

    // Everything up to the next separator (which is consumed), or the rest.
    std::string TakeField()
    {
        const std::size_t end = m_rest.find(kSeparator);
        std::string field(m_rest.substr(0, end));
        m_rest.remove_prefix(end == std::string_view::npos ? m_rest.size() : end + 1);
        return field;
    }

    std::string TakeRest()
    {
        std::string rest(m_rest);
        m_rest = {};
        return rest;
    }

private:
    std::string_view m_rest;
};
