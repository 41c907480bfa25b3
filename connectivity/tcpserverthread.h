#pragma once
// The loopback temperature server: accepts local clients on 127.0.0.1, writes
// the current reading to each at once, and takes one "UVC start" / "UVC stop"
// command from each within 2 s, which sets or clears the acquisition loop's
// UVC flag. One thread serves every client in turn, so a silent client never
// holds up the next one. Started with the main window, running until power-off.
//
// The object belongs to the GUI thread (getMaxTempData runs there); run()
// reads the reading in the server thread. The reading is one atomic word, so
// a client never receives a mix of two updates.

#include "connectivity/tcpreading.h"

#include <QThread>

#include <atomic>
#include <cstdint>
#include <vector>

class TcpServerThread : public QThread {
    Q_OBJECT
public:
    // port -1: the configured port (1234 unless NORVIK7_TCP_PORT says otherwise).
    explicit TcpServerThread(QObject *parent = nullptr, int port = -1);
    // Asks the loop to end and waits for it (the program itself never stops it).
    ~TcpServerThread() override;

    void stop();
    // The port the server listens on once it is bound, else 0.
    int boundPort() const { return m_boundPort.load(); }
    bool isListening() const { return m_boundPort.load() != 0; }
    tcpserver::Reading reading() const { return tcpserver::unpack(m_value.load()); }
    // Clients accepted since start.
    quint64 clientsServed() const { return m_served.load(); }

    // How long a client may take to send its command after it connected.
    std::atomic<int> receiveTimeoutMs{tcpserver::kReceiveTimeoutMs};

signals:
    // 1: a client asked for "UVC start"; 0: "UVC stop". Emitted by the server thread.
    void sendUVCStart(int start);
    // The listening socket is bound (emitted by the server thread).
    void listening(int port);

public slots:
    // A new reading: measured temperature, high-alert limit (both degrees
    // Celsius) and emissivity, each with its rounding half-step added.
    void getMaxTempData(float measured, float highLimit, float emissivity);

protected:
    void run() override;

private:
    struct Client {
        int fd;
        qint64 deadlineMs;   // its command must have come by then
    };
    int openListener(bool report);
    void acceptWaiting(int listener, std::vector<Client> &clients, qint64 now);
    void receiveCommand(int client);
    // Sleeps `ms`, or less when stop() is called.
    void pause(int ms);

    const int m_requestedPort;
    std::atomic<std::uint64_t> m_value;
    std::atomic<int> m_boundPort{0};
    std::atomic<bool> m_stop{false};
    // Set as run() returns; read after the thread has been waited for, so that
    // everything the server touched is seen as done (also by ThreadSanitizer).
    std::atomic<bool> m_ended{false};
    std::atomic<quint64> m_served{0};
    int m_wakeFd = -1;   // written by stop() to end any wait at once
};
