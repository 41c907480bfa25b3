#include "loopbackclient.h"

#include <QElapsedTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace loopback {

namespace {
sockaddr_in address(int port)
{
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    return addr;
}
}   // namespace

int connectTo(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr = address(port);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0)
        return fd;
    closeFd(fd);
    return -1;
}

QByteArray readBytes(int fd, int n, int timeoutMs)
{
    QByteArray out;
    QElapsedTimer clock;
    clock.start();
    while (out.size() < n) {
        const int left = timeoutMs - static_cast<int>(clock.elapsed());
        pollfd p{fd, POLLIN, 0};
        if (left <= 0 || ::poll(&p, 1, left) <= 0)
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

int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr = address(0);
    ::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &len);
    ::close(fd);
    return ntohs(addr.sin_port);
}

}   // namespace loopback
