#pragma once
// Helpers shared by the SMTP tests: a connection whose socket the test may connect
// directly, and scripts for the scripted peer.
#include "smtp/smtp_connection.h"
#include "tests/support/scripted_peer.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace quillo::test {

// A connection that can be put on a connected socket without the session's greeting,
// so the reply reader can be driven on its own.
class TestConnection : public CSMTPConnection {
public:
    bool ConnectOnly(std::uint16_t port)
    {
        return m_socket.CreateStream() && m_socket.ConnectTo("127.0.0.1", port, nullptr);
    }
    SOCKET Handle() const { return m_socket.Handle(); }
    using CSMTPConnection::SendCommand;
};

using Script = std::vector<ScriptedPeer::Step>;

// Joins pieces of a script: single steps and ScriptedPeer::Answer pairs.
inline Script Steps(std::initializer_list<Script> parts)
{
    Script all;
    for (const Script& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

inline std::string LocalHostName()
{
    char name[100] = {};
    wsock::gethostname(name, sizeof name);
    return name;
}

}  // namespace quillo::test
