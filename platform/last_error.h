#pragma once
// The thread's last error, with the Windows numbers the library reports.
#include <cstdint>

using DWORD = std::uint32_t;

inline constexpr DWORD ERROR_SUCCESS = 0;
inline constexpr DWORD ERROR_BAD_COMMAND = 22;
inline constexpr DWORD ERROR_INVALID_PARAMETER = 87;

// Windows Sockets numbering.
inline constexpr DWORD WSAEINTR = 10004;
inline constexpr DWORD WSAEBADF = 10009;
inline constexpr DWORD WSAEACCES = 10013;
inline constexpr DWORD WSAEFAULT = 10014;
inline constexpr DWORD WSAEINVAL = 10022;
inline constexpr DWORD WSAEMFILE = 10024;
inline constexpr DWORD WSAEWOULDBLOCK = 10035;
inline constexpr DWORD WSAEINPROGRESS = 10036;
inline constexpr DWORD WSAEALREADY = 10037;
inline constexpr DWORD WSAENOTSOCK = 10038;
inline constexpr DWORD WSAEDESTADDRREQ = 10039;
inline constexpr DWORD WSAEMSGSIZE = 10040;
inline constexpr DWORD WSAEPROTOTYPE = 10041;
inline constexpr DWORD WSAENOPROTOOPT = 10042;
inline constexpr DWORD WSAEPROTONOSUPPORT = 10043;
inline constexpr DWORD WSAEAFNOSUPPORT = 10047;
inline constexpr DWORD WSAEADDRINUSE = 10048;
inline constexpr DWORD WSAEADDRNOTAVAIL = 10049;
inline constexpr DWORD WSAENETDOWN = 10050;
inline constexpr DWORD WSAENETUNREACH = 10051;
inline constexpr DWORD WSAECONNABORTED = 10053;
inline constexpr DWORD WSAECONNRESET = 10054;
inline constexpr DWORD WSAENOBUFS = 10055;
inline constexpr DWORD WSAEISCONN = 10056;
inline constexpr DWORD WSAENOTCONN = 10057;
inline constexpr DWORD WSAESHUTDOWN = 10058;
inline constexpr DWORD WSAETIMEDOUT = 10060;
inline constexpr DWORD WSAECONNREFUSED = 10061;
inline constexpr DWORD WSAEHOSTUNREACH = 10065;

DWORD GetLastError();
void SetLastError(DWORD code);
// Sockets share the thread's last error, as on the original platform.
DWORD WSAGetLastError();
void WSASetLastError(int code);

// The Windows Sockets number for a POSIX errno value (WSAEINVAL for one without a counterpart).
DWORD WsaErrorFromErrno(int err);
