#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include "tests/app/ScratchFolder.h"
#include "tools/service-sim/ServiceSimulator.h"

namespace quorfw::test {

// A port on 127.0.0.1 where nothing listens: connections to it are refused at once.
inline int ClosedLoopbackPort()
{
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    (void)::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    (void)::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(probe);
    return ntohs(address.sin_port);
}

// The simulated service serving the files of its own scratch folder.
struct LocalService {
    ScratchFolder files;
    ServiceSimulator simulator{files.Path()};
    int port = simulator.Start();

    std::string Url(const std::string& path) const { return "127.0.0.1:" + std::to_string(port) + path; }
};

}  // namespace quorfw::test
