#pragma once
// Case-sensitive comparison of zero-terminated texts, in place of the kernel's lstrcmpA.

// Less than, equal to or greater than zero (-1, 0, 1) as first sorts before, with or after
// second. Texts compare byte by byte as unsigned values, the order of the "C" locale; so two
// texts are equal only when they are the same bytes. A null pointer sorts before any text,
// even an empty one, and equals another null pointer.
int lstrcmpA(const char* first, const char* second);
