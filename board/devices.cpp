#include "board/board.h"
#include "board/sim_internal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkInterface>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/input.h>
#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>
#include <sys/statfs.h>
#include <time.h>
#include <unistd.h>

namespace board {
namespace {

QString gpioFile(int line) { return sim::simFile(QStringLiteral("gpio/%1").arg(line)); }

qint64 readNumber(const QString &file, bool *ok)
{
    QFile f(file);
    *ok = false;
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    return f.readAll().trimmed().toLongLong(ok);
}

qint64 clockOffsetSeconds()
{
    bool ok = false;
    const qint64 v = readNumber(sim::simFile(QStringLiteral("clock_offset")), &ok);
    return ok ? v : 0;
}

}   // namespace

// ---- descriptors ------------------------------------------------------------

int openDevice(const QString &boardPath, bool readWrite)
{
    const QByteArray p = QFile::encodeName(path(boardPath));
    return ::open(p.constData(), (readWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC);
}

void closeFd(int fd)
{
    if (fd >= 0)
        ::close(fd);
}

// ---- GPIO -----------------------------------------------------------------

int gpioOpen() { return openDevice(QStringLiteral("/dev/gpio"), true); }

void gpioSet(int fd, int line, int value)
{
    if (isSimulated()) {
        if (fd < 0) {
            errno = EBADF;
            perror("ioctl");
            return;
        }
        QDir().mkpath(sim::simFile(QStringLiteral("gpio")));
        QFile f(gpioFile(line));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            perror("ioctl");
            return;
        }
        f.write(value ? "1" : "0");
        return;
    }
    uint32_t word = gpioWord(line, value);
    if (::ioctl(fd, kGpioRequest, &word) < 0)
        perror("ioctl");
}

int gpioGet(int fd, int line)
{
    if (isSimulated()) {
        if (fd < 0) {
            errno = EBADF;
            perror("ioctl");
            return 0;
        }
        bool ok = false;
        const qint64 v = readNumber(gpioFile(line), &ok);
        return ok && v ? 1 : 0;
    }
    uint32_t word = gpioWord(line, 0);
    if (::ioctl(fd, kGpioRequest, &word) < 0)
        perror("ioctl");
    return static_cast<int>(word);
}

// ---- key device ---------------------------------------------------------------

int keyDeviceOpen()
{
    const QByteArray p = QFile::encodeName(path(QStringLiteral("/dev/input/event_key")));
    if (isSimulated()) {
        // Read-write on the FIFO keeps one writer (ourselves) attached, so the
        // program never sees end-of-file when the real writers come and go.
        return ::open(p.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    }
    return ::open(p.constData(), O_RDONLY | O_CLOEXEC);
}

bool keyDeviceSetRepeat(int fd, int delayMs, int periodMs)
{
    if (isSimulated())
        return fd >= 0;   // the simulator keypad repeats by itself: 500 ms, then 300 ms
    unsigned int rep[2] = {static_cast<unsigned>(delayMs), static_cast<unsigned>(periodMs)};
    return ::ioctl(fd, EVIOCSREP, rep) >= 0;
}

int inputEventSize() { return static_cast<int>(sizeof(struct input_event)); }

// ---- SD card ----------------------------------------------------------------

int cardOpen() { return openDevice(QString::fromLatin1(kCardDevice), true); }

bool cardPresent()
{
    const int fd = cardOpen();
    closeFd(fd);
    return fd >= 0;
}

bool cardWriteStep(const QString &hostPath)
{
    const QString card = path(QString::fromLatin1(kCardMount));
    if (!isSimulated() || !hostPath.startsWith(card + QLatin1Char('/')))
        return true;
    const QString control = sim::simFile(QStringLiteral("card_fault"));
    QFile f(control);
    const QByteArray fault = f.open(QIODevice::ReadOnly) ? f.readAll().trimmed() : QByteArray();
    f.close();
    if (fault == "readonly") {
        errno = EROFS;
        return false;
    }
    if (!fault.startsWith("pull"))
        return true;
    // "pull@N": N - 1 more steps go through first.
    const int left = fault.mid(5).toInt();
    if (left > 1) {
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write("pull@" + QByteArray::number(left - 1));
        return true;
    }
    f.remove();
    QFile::remove(path(QString::fromLatin1(kCardDevice)));
    QDir().rename(card, sim::simFile(QStringLiteral("pulled_card")));
    errno = ENOENT;
    return false;
}

DiskSpace diskSpace(const QString &boardPath)
{
    DiskSpace d;
    struct statfs st;
    const QByteArray p = QFile::encodeName(path(boardPath));
    if (::statfs(p.constData(), &st) == 0) {
        d.ok = true;
        d.totalMb = (static_cast<quint64>(st.f_blocks) * st.f_bsize) >> 20;
        d.freeMb = (static_cast<quint64>(st.f_bavail) * st.f_bsize) >> 20;
    }
    if (isSimulated()) {
        bool ok = false;
        const qint64 total = readNumber(sim::simFile(QStringLiteral("sd_total_mb")), &ok);
        if (ok && total >= 0) {
            d.totalMb = static_cast<quint64>(total);
            d.ok = d.ok || QFileInfo::exists(path(boardPath));
        }
        const qint64 avail = readNumber(sim::simFile(QStringLiteral("sd_free_mb")), &ok);
        if (ok && avail >= 0)
            d.freeMb = static_cast<quint64>(avail);
    }
    return d;
}

// ---- clock ------------------------------------------------------------------

std::time_t nowSeconds()
{
    std::time_t t = ::time(nullptr);
    if (isSimulated())
        t += static_cast<std::time_t>(clockOffsetSeconds());
    return t;
}

QDateTime now()
{
    QDateTime t = QDateTime::currentDateTime();
    if (isSimulated())
        t = t.addSecs(clockOffsetSeconds());
    return t;
}

bool setClock(std::time_t t)
{
    if (isSimulated()) {
        QDir().mkpath(simRoot() + QStringLiteral("/sim"));
        const qint64 offset = static_cast<qint64>(t) - static_cast<qint64>(::time(nullptr));
        QFile f(sim::simFile(QStringLiteral("clock_offset")));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        f.write(QByteArray::number(offset) + '\n');
        return true;
    }
    struct timespec ts;
    ts.tv_sec = t;
    ts.tv_nsec = 0;
    return ::clock_settime(CLOCK_REALTIME, &ts) == 0;
}

// ---- network identity -----------------------------------------------------------

QString wlan0Mac()
{
    if (isSimulated()) {
        bool ok = false;
        const QString mac = QString::fromLatin1(readFile(QStringLiteral("/sim/wlan0_mac"), &ok)).trimmed();
        return ok ? mac.toUpper() : QString();
    }
    const QNetworkInterface iface = QNetworkInterface::interfaceFromName(QStringLiteral("wlan0"));
    return iface.isValid() ? iface.hardwareAddress() : QString();
}

// ---- USB control request ----------------------------------------------------------

UsbControlResult usbControl(const QString &boardNode, const UsbControl &req)
{
    const int fd = openDevice(boardNode, true);
    if (fd < 0)
        return UsbControlResult::OpenFailed;
    if (isSimulated()) {
        // Logged to sim/usb_control.log ("NODE type request value index
        // length timeout", hex but for the last two) and answered as the
        // core answers: accepted.
        closeFd(fd);
        QFile log(sim::simFile(QStringLiteral("usb_control.log")));
        if (log.open(QIODevice::WriteOnly | QIODevice::Append))
            log.write(QString::asprintf("%s %02x %02x %04x %04x %u %u\n", qPrintable(boardNode), req.requestType,
                                        req.request, req.value, req.index, req.length, req.timeoutMs)
                          .toLatin1());
        return UsbControlResult::Ok;
    }
    struct usbdevfs_ctrltransfer xfer;
    std::memset(&xfer, 0, sizeof xfer);
    xfer.bRequestType = req.requestType;
    xfer.bRequest = req.request;
    xfer.wValue = req.value;
    xfer.wIndex = req.index;
    xfer.wLength = req.length;
    xfer.timeout = req.timeoutMs;
    xfer.data = req.data;
    const int r = ::ioctl(fd, USBDEVFS_CONTROL, &xfer);
    closeFd(fd);
    return r < 0 ? UsbControlResult::TransferFailed : UsbControlResult::Ok;
}

}   // namespace board
