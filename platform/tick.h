#pragma once
// Millisecond tick count and Sleep, in place of the Windows kernel calls.
#include "platform/last_error.h"

// Milliseconds since an arbitrary start; wraps as an unsigned 32-bit value.
DWORD GetTickCount();
void Sleep(DWORD milliseconds);
