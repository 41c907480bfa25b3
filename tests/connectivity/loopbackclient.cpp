#include "loopbackclient.h"

#include <QElapsedTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace loopback {

int connectTo(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    if (::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) < 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

QByteArray readBytes(int fd, int n, int timeoutMs)
{
    QByteArray out;
    QElapsedTimer clock;
    clock.start();
    while (out.size() < n) {
        const int left = timeoutMs - static_cast<int>(clock.elapsed());
        if (left <= 0)
            break;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, left) <= 0)
            break;
        char buf[64];
        const ssize_t r = ::recv(fd, buf, std::min<int>(sizeof buf, n - out.size()), 0);
        if (r <= 0)
            break;
        out.append(buf, static_cast<int>(r));
    }
    return out;
}

bool sendAll(int fd, const QByteArray &data)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t r = ::send(fd, data.constData() + done, data.size() - done, MSG_NOSIGNAL);
        if (r <= 0)
            return false;
        done += r;
    }
    return true;
}

void closeFd(int fd)
{
    if (fd >= 0)
        ::close(fd);
}

void resetFd(int fd)
{
    linger l{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    ::close(fd);
}

std::array<std::uint16_t, 3> words(const QByteArray &six)
{
    auto w = [&](int i) {
        return static_cast<std::uint16_t>(static_cast<unsigned char>(six.at(i)) |
                                          (static_cast<unsigned char>(six.at(i + 1)) << 8));
    };
    return {w(0), w(2), w(4)};
}

int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &len);
    ::close(fd);
    return ntohs(addr.sin_port);
}

}   // namespace loopback
