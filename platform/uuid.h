#pragma once
// Fresh random (version 4) UUIDs from the kernel's random source.
#include <string>

// The 36-character lower-case form, "xxxxxxxx-xxxx-4xxx-yxxx-xxxxxxxxxxxx"; empty when the
// kernel gives no random bytes.
std::string CreateUuidString();
