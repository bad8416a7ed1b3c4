#pragma once
// Quoted-printable body encoding with soft line breaks.
#include <string>

// The hexadecimal digit of a value 0 to 15, upper case.
char NibbleToHex(unsigned value);

// Escapes "=", control bytes other than tab, CR and LF, and bytes from 0x7F up as "=XX", then
// breaks long lines with "=" CR LF, preferably after white space, never inside an escape. A line
// that a soft break would start with "." gets it as "=2E", so no server strips it.
// The input is a stored text: CR LF line ends, periods at line starts already doubled.
std::string QpEncode(const std::string& text);
