#pragma once
// One mailbox: the bare address for the envelope and an optional display name for header lines.
#include <string>

class CMailAddress {
public:
    CMailAddress() = default;
    // Implicit, so a plain address text can stand where an address is expected.
    // The text is stored whole as the address, without parsing: "Name <a@b>" stays as it is.
    CMailAddress(const char* address);
    CMailAddress(std::string address);
    CMailAddress(std::string displayName, std::string address);

    // "Name <address>" when there is a display name, the bare address otherwise; nothing is quoted.
    std::string Render() const;

    std::string displayName;
    std::string address;
};
