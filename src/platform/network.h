// Host resolution and TCP connections for the quote feed and the server profiles.
#pragma once

#include <chrono>
#include <string>

namespace ft::platform {

// Dotted IPv4 text of the first address the system's resolver returns; empty on failure.
std::string ResolveHostIPv4(const std::string& host);

// Connects an IPv4 TCP socket with a non-blocking connect and a bounded wait for it to
// become writable; the socket is blocking again afterwards. Returns the descriptor or -1.
int ConnectTcp(const std::string& dottedHost, int port, std::chrono::milliseconds wait);

void CloseSocket(int fd);

}  // namespace ft::platform
