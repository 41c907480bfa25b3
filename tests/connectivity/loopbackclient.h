#pragma once
// A plain client of the temperature server on 127.0.0.1, with bounded waits.
#include <QByteArray>

namespace loopback {

// Connects to 127.0.0.1:port; -1 on failure.
int connectTo(int port);
// Reads exactly n bytes within timeoutMs; fewer when the peer closed or the time ran out.
QByteArray readBytes(int fd, int n, int timeoutMs = 3000);
bool sendAll(int fd, const QByteArray &data);
void closeFd(int fd);
// Closes with a reset instead of an orderly end.
void resetFd(int fd);
// A port nobody listens on at the moment.
int freePort();

}   // namespace loopback
