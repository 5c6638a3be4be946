// A listening socket on the loopback that never accepts nor answers: a server
// that hangs. Once closed, its port refuses.
#pragma once
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif
#include <gtest/gtest.h>

namespace gh::test {

class SilentSocket {
 public:
  SilentSocket() {
#ifdef _WIN32
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);  // counted; undone by WSACleanup below
#endif
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&addr), len) != 0 || ::listen(fd_, 8) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
      ADD_FAILURE() << "cannot listen";
    }
    port_ = ntohs(addr.sin_port);
  }
  ~SilentSocket() {
#ifdef _WIN32
    ::closesocket(fd_);
    ::WSACleanup();
#else
    ::close(fd_);
#endif
  }
  SilentSocket(const SilentSocket&) = delete;
  SilentSocket& operator=(const SilentSocket&) = delete;
  int Port() const { return port_; }

 private:
#ifdef _WIN32
  SOCKET fd_ = INVALID_SOCKET;
#else
  int fd_ = -1;
#endif
  int port_ = 0;
};

}  // namespace gh::test
