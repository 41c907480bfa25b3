// Measured, not asserted: the loopback temperature server under load.
//
//   norvik7_tcpserver_bench [CLIENTS]            the server alone: sequential clients per second with
//                                                their latency (connect to the 6 bytes received), 50
//                                                clients connecting at once, one silent client in the middle
//   norvik7_tcpserver_bench frames SECONDS       the whole program on a fresh simulated board: live frames
//                                                per second without load, then with clients hammering the server
//   norvik7_tcpserver_bench load PORT SECONDS    only the load (for running beside norvik7_keylatency)
#include "acquisition/thermalcamerathread.h"
#include "app/norvik7.h"
#include "bench/benchsupport.h"
#include "board/board.h"
#include "connectivity/tcpserverthread.h"
#include "tests/connectivity/loopbackclient.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A percentile of the latencies measured (0 when none were).
double pct(const std::vector<double> &v, double p) { return v.empty() ? 0.0 : bench::percentile(v, p); }

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

bool readSix(int fd, int timeoutMs = 5000) { return loopback::readBytes(fd, 6, timeoutMs).size() == 6; }

// One client as a reader of the temperature does it; its latency in ms, -1 on failure.
double oneClient(int port)
{
    const auto t0 = Clock::now();
    const int fd = loopback::connectTo(port);
    if (fd < 0)
        return -1;
    const bool ok = readSix(fd);
    ::close(fd);
    return ok ? ms(Clock::now() - t0) : -2;
}

void sequential(int port, int clients)
{
    std::vector<double> lat;
    int failed = 0;
    const auto t0 = Clock::now();
    for (int i = 0; i < clients; ++i) {
        const double l = oneClient(port);
        if (l < 0)
            ++failed;
        else
            lat.push_back(l);
    }
    const double seconds = ms(Clock::now() - t0) / 1000.0;
    std::printf("sequential: %d clients in %.2f s = %.0f clients/s; latency p50 %.3f ms, p99 %.3f ms, max %.3f ms; "
                "%d failed\n",
                clients, seconds, clients / seconds, pct(lat, 0.5), pct(lat, 0.99), pct(lat, 1.0), failed);
}

// Readers started together, each in its own thread: connect, read, close.
void burst(int port, int clients)
{
    std::vector<double> lat(clients, -1);
    std::vector<std::thread> threads;
    std::atomic<bool> go{false};
    for (int i = 0; i < clients; ++i)
        threads.emplace_back([&, i] {
            while (!go.load())
                std::this_thread::yield();
            lat[i] = oneClient(port);
        });
    const auto t0 = Clock::now();
    go.store(true);
    for (std::thread &t : threads)
        t.join();
    const double all = ms(Clock::now() - t0);
    std::vector<double> ok;
    int refused = 0;
    for (double l : lat) {
        if (l >= 0)
            ok.push_back(l);
        else if (l == -1)
            ++refused;
    }
    if (refused)
        std::printf("  (%d could not connect)\n", refused);
    std::printf("%d at once: all served in %.2f ms; latency p50 %.3f ms, p99 %.3f ms; %d failed\n", clients, all,
                pct(ok, 0.5), pct(ok, 0.99), clients - int(ok.size()));
}

void silentInTheMiddle(int port, int clients)
{
    std::vector<double> lat;
    int silent = -1;
    double afterSilent = 0;
    for (int i = 0; i < clients; ++i) {
        if (i == clients / 2) {
            silent = loopback::connectTo(port);
            readSix(silent);   // it takes its reading and then says nothing
            continue;
        }
        const double l = oneClient(port);
        if (i == clients / 2 + 1)
            afterSilent = l;
        else if (l >= 0)
            lat.push_back(l);
    }
    if (silent >= 0)
        ::close(silent);
    std::printf("one silent client among %d: the next one waited %.1f ms; the others p50 %.3f ms, p99 %.3f ms\n",
                clients, afterSilent, pct(lat, 0.5), pct(lat, 0.99));
}

// Clients in a loop until told to stop; every 200th one stays silent.
void hammer(int port, std::atomic<bool> &stop, std::atomic<long> &served)
{
    long i = 0;
    while (!stop.load()) {
        if (++i % 200 == 0) {
            const int fd = loopback::connectTo(port);
            if (fd >= 0) {
                readSix(fd);
                ::close(fd);   // silent, but it goes before the server's time-out
            }
            continue;
        }
        if (oneClient(port) >= 0)
            served.fetch_add(1);
    }
}

int serverAlone(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int clients = argc > 1 ? std::atoi(argv[1]) : 5000;
    TcpServerThread server(nullptr, 0);
    server.start();
    while (!server.isListening())
        QThread::msleep(5);
    server.getMaxTempData(36.59f, 130.05f, 0.955f);
    const int port = server.boundPort();
    oneClient(port);   // warm-up
    sequential(port, clients);
    burst(port, 50);
    silentInTheMiddle(port, 200);
    return 0;
}

int frames(int argc, char **argv)
{
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 10;
    QTemporaryDir root;
    qputenv("NORVIK7_TCP_PORT", "0");
    bench::enterSimulatedBoard(root);
    QApplication app(argc, argv);
    Norvik7 w;
    std::atomic<long> frameCount{0};
    QObject::connect(
        w.cameraThread, &ThermalCameraThread::updateThermalVLCImage, &w, [&] { frameCount.fetch_add(1); },
        Qt::QueuedConnection);
    auto run = [&](int secs) {
        QElapsedTimer t;
        t.start();
        const long f0 = frameCount.load();
        while (t.elapsed() < secs * 1000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        return (frameCount.load() - f0) * 1000.0 / t.elapsed();
    };
    run(3);   // past start-up
    while (!w.tcpServerThread->isListening())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    const int port = w.tcpServerThread->boundPort();
    const double quiet = run(seconds);
    std::atomic<bool> stop{false};
    std::atomic<long> served{0};
    std::thread load([&] { hammer(port, stop, served); });
    const double loaded = run(seconds);
    stop.store(true);
    load.join();
    std::printf("live frames: %.1f /s without clients, %.1f /s while %ld clients were served (%.0f /s)\n", quiet,
                loaded, served.load(), served.load() / double(seconds));
    return 0;
}

int loadOnly(int argc, char **argv)
{
    const int port = argc > 2 ? std::atoi(argv[2]) : 1234;
    const int seconds = argc > 3 ? std::atoi(argv[3]) : 30;
    std::atomic<bool> stop{false};
    std::atomic<long> served{0};
    std::thread load([&] { hammer(port, stop, served); });
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    stop.store(true);
    load.join();
    std::printf("load: %ld clients served in %d s (%.0f /s)\n", served.load(), seconds,
                served.load() / double(seconds));
    return 0;
}

}   // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && std::string(argv[1]) == "frames")
        return frames(argc, argv);
    if (argc > 1 && std::string(argv[1]) == "load")
        return loadOnly(argc, argv);
    return serverAlone(argc, argv);
}
