#include "platform/network.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace ft::platform {

std::string ResolveHostIPv4(const std::string& host) {
    if (host.empty()) {
        return {};
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &result) != 0 || !result) {
        return {};
    }
    char text[INET_ADDRSTRLEN] = {};
    const auto* addr = reinterpret_cast<const sockaddr_in*>(result->ai_addr);
    const char* ok = inet_ntop(AF_INET, &addr->sin_addr, text, sizeof text);
    freeaddrinfo(result);
    return ok ? std::string(text) : std::string();
}

int ConnectTcp(const std::string& dottedHost, int port, std::chrono::milliseconds wait) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    if (port <= 0 || port > 65535 || inet_pton(AF_INET, dottedHost.c_str(), &addr.sin_addr) != 1) {
        return -1;
    }
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    int flags = fcntl(fd, F_GETFL, 0);
    fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    int rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
    bool connected = rc == 0;
    if (!connected && errno == EINPROGRESS) {
        pollfd p{fd, POLLOUT, 0};
        int ready;
        do {
            ready = ::poll(&p, 1, static_cast<int>(wait.count()));
        } while (ready < 0 && errno == EINTR);
        if (ready == 1) {
            int error = 0;
            socklen_t len = sizeof error;
            getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len);
            connected = error == 0;
        }
    }
    fcntl(fd, F_SETFL, flags);
    if (!connected) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void CloseSocket(int fd) {
    if (fd >= 0) {
        ::close(fd);
    }
}

}  // namespace ft::platform
