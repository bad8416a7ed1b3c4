#include "mime/mail_address.h"

#include <utility>

CMailAddress::CMailAddress(const char* text) : address(text ? text : "") {}

CMailAddress::CMailAddress(std::string text) : address(std::move(text)) {}

CMailAddress::CMailAddress(std::string name, std::string text)
    : displayName(std::move(name)), address(std::move(text))
{
}

std::string CMailAddress::Render() const
{
    if (displayName.empty()) return address;
    return displayName + " <" + address + ">";
}
