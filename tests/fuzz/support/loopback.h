#pragma once
// The server side of the network fuzz targets: one listening socket on 127.0.0.1 for the whole
// process (a fresh one per input would cost a port each time), accepting one client per input.
#include <cstddef>
#include <cstdint>

namespace fuzz {

// The port of the process's listener, made on first use.
std::uint16_t ListenerPort();
// The next connection to the listener, or -1 when none arrives within waitMilliseconds.
int AcceptClient(int waitMilliseconds);
// Sends all of the bytes; false when the client has gone.
bool SendAll(int fd, const char* data, std::size_t length);
// Closes fd; with reset, the client sees a connection reset instead of the end of the stream.
void CloseClient(int fd, bool reset = false);

}  // namespace fuzz
