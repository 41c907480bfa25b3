#include "connectivity/tcpserverthread.h"

#include "core/logging.h"
#include "core/threadend.h"

#include <QDebug>
#include <QElapsedTimer>

#include <algorithm>
#include <array>
#include <vector>

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// A failed bind is tried again after this long (the port may still be taken).
constexpr int kRebindMs = 1000;
// Pause after a failed accept, so a lasting failure does not spin.
constexpr int kAcceptRetryMs = 50;
// Connections the kernel may hold before the loop takes them. With a queue of
// 20, a burst of readers (who send nothing before their reading comes) can
// leave some of them hanging for good: once the queue is full the kernel
// answers with SYN cookies and then drops the handshake's last step.
constexpr int kBacklog = 128;
// Without the wake-up descriptor the loop looks at stop() at least this often;
// with it, an idle loop sleeps until something happens.
constexpr int kIdleWaitMs = 50;
// Connections taken from the kernel per wake, and clients awaiting their
// command at most (one more gets its reading and is closed at once).
constexpr int kAcceptPerRound = 64;
constexpr std::size_t kMaxWaiting = 256;
}   // namespace

TcpServerThread::TcpServerThread(QObject *parent, int port)
    : QThread(parent), m_requestedPort(port < 0 ? tcpserver::configuredPort() : port),
      m_value(tcpserver::pack(tcpserver::Reading{}))
{
    m_wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

TcpServerThread::~TcpServerThread()
{
    stop();
    wait();
    m_ended.load(std::memory_order_acquire);
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

void TcpServerThread::stop()
{
    m_stop.store(true);
    if (m_wakeFd >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(m_wakeFd, &one, sizeof one);
    }
}

void TcpServerThread::getMaxTempData(float measured, float highLimit, float emissivity)
{
    m_value.store(tcpserver::pack(tcpserver::readingFrom(measured, highLimit, emissivity)));
}

void TcpServerThread::pause(int ms)
{
    if (m_stop.load())
        return;
    // Only the wake-up descriptor is watched (none when it could not be made: a plain sleep).
    pollfd wake{m_wakeFd, POLLIN, 0};
    ::poll(&wake, 1, ms);
}

int TcpServerThread::openListener(bool report)
{
    // Non-blocking: the loop takes every waiting connection and stops at the first "none".
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        if (report)
            qCWarning(lcConnectivity, "create socket error: %s errno :%d", std::strerror(errno), errno);
        return -1;
    }
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);   // loopback only
    addr.sin_port = htons(static_cast<uint16_t>(m_requestedPort));
    if (::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) < 0 || ::listen(fd, kBacklog) < 0) {
        if (report)
            qCWarning(lcConnectivity, "bind socket error: %s errno :%d", std::strerror(errno), errno);
        ::close(fd);
        return -1;
    }
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &len);
    m_boundPort.store(ntohs(addr.sin_port));
    return fd;
}

void TcpServerThread::run()
{
    qCDebug(lcConnectivity) << "TcpServerThread:" << QThread::currentThreadId();
    const ThreadEnd ended{m_ended};
    int listener = -1;
    bool reported = false;
    std::vector<Client> clients;   // accepted, reading sent, command awaited
    QElapsedTimer clock;
    clock.start();
    std::vector<pollfd> fds;
    while (!m_stop.load()) {
        if (listener < 0) {
            listener = openListener(!reported);
            if (listener < 0) {
                // Told once; tried again until the port is free.
                reported = true;
                pause(kRebindMs);
                continue;
            }
            emit listening(m_boundPort.load());
        }

        // Wait for a new connection, a command, a client's time running out or stop().
        fds.clear();
        fds.push_back({listener, POLLIN, 0});
        fds.push_back({m_wakeFd, POLLIN, 0});
        qint64 now = clock.elapsed();
        int timeout = m_wakeFd >= 0 ? -1 : kIdleWaitMs;
        for (const Client &c : clients) {
            fds.push_back({c.fd, POLLIN, 0});
            const int left = static_cast<int>(std::max<qint64>(0, c.deadlineMs - now));
            timeout = timeout < 0 ? left : std::min(timeout, left);
        }
        ::poll(fds.data(), fds.size(), timeout);
        if (m_stop.load())
            break;
        now = clock.elapsed();

        // Clients in the order they came: a command read, or their time is up.
        std::vector<Client> waiting;
        waiting.reserve(clients.size());
        for (std::size_t i = 0; i < clients.size(); ++i) {
            const Client &c = clients[i];
            if (fds[i + 2].revents) {
                receiveCommand(c.fd);
                ::close(c.fd);
            } else if (now >= c.deadlineMs) {
                ::close(c.fd);
            } else {
                waiting.push_back(c);
            }
        }
        clients.swap(waiting);

        if (fds[0].revents)
            acceptWaiting(listener, clients, now);
    }
    for (const Client &c : clients)
        ::close(c.fd);
    if (listener >= 0)
        ::close(listener);
    m_boundPort.store(0);
}

void TcpServerThread::acceptWaiting(int listener, std::vector<Client> &clients, qint64 now)
{
    // Every connection the kernel holds is taken at once, so a flood never
    // fills its queue (a connection left there may hang until it times out).
    for (int n = 0; n < kAcceptPerRound; ++n) {
        const int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                std::printf("accpet socket error: %s errno :%d\n", std::strerror(errno), errno);
                pause(kAcceptRetryMs);
            }
            return;
        }
        m_served.fetch_add(1);
        // The reading goes out at once, before anything is read. A client
        // that has gone already only makes the send fail (never a SIGPIPE).
        const auto bytes = tcpserver::wireBytes(tcpserver::unpack(m_value.load()));
        const bool sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
        if (!sent || clients.size() >= kMaxWaiting) {
            ::close(fd);
            continue;
        }
        clients.push_back({fd, now + receiveTimeoutMs.load()});
    }
}

void TcpServerThread::receiveCommand(int client)
{
    // One receive of at most 1024 bytes, read as a string that ends with them
    // (the buffer's size is the read size: no terminator is written past it).
    std::array<char, tcpserver::kReceiveMax> buffer;
    const ssize_t n = ::recv(client, buffer.data(), buffer.size(), MSG_DONTWAIT);
    if (n <= 0)
        return;
    switch (tcpserver::parseCommand(buffer.data(), static_cast<std::size_t>(n))) {
    case tcpserver::Command::UvcStart:
        emit sendUVCStart(1);
        break;
    case tcpserver::Command::UvcStop:
        emit sendUVCStart(0);
        break;
    case tcpserver::Command::None:
        break;
    }
}
