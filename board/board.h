#pragma once
// The board layer: the only code that touches the board. Everything else asks
// here for paths, runs shell commands here and reaches devices through here.
//
// On the device every call is the real thing. With NORVIK7_ROOT=DIR in the
// environment the program runs on a simulated board rooted at DIR: paths live
// under DIR, shell commands are logged to DIR/sim/commands.log and carried out
// inside DIR, devices are plain files and FIFOs there.

#include "core/boardpath.h"

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <ctime>
#include <functional>

namespace board {

// ---- simulated board ------------------------------------------------------
// (isSimulated, simRoot, reloadEnvironment: core/boardpath.h)
// Creates the board tree under the simulated root when it is empty or missing.
// Does nothing on the device. Returns false when the root cannot be made.
bool seedIfNeeded();
// Makes the board's working directory ("/root") the current one.
void enterWorkingDirectory();

// ---- shell -----------------------------------------------------------------
// Runs one command line and returns its exit status: 0 when it succeeded, -1
// when no shell could be started. On the simulated board the line is logged
// and carried out inside the root where it has a meaning there, never by a
// shell; an "echo" into a file that cannot be written gives 1, and a board
// script (a command given by its absolute path) gives 127 when it is missing
// and 126 when it is not executable, else 0, without being run.
int run(const QString &commandLine);
// What a simulated "halt" does after logging. Default: flush and exit(0).
// In-process tests replace it to watch the shutdown without ending.
void setHaltHandler(std::function<void()> handler);

// ---- GPIO ------------------------------------------------------------------
// Opens "/dev/gpio"; returns a descriptor or -1.
int gpioOpen();
// One request with the line in the low bits and the value in bit 31.
// Failures print the system error after "ioctl" and are otherwise ignored.
void gpioSet(int fd, int line, int value);
int gpioGet(int fd, int line);
constexpr unsigned long kGpioRequest = 0xC0047800UL;
constexpr uint32_t gpioWord(int line, int value)
{
    return (static_cast<uint32_t>(line) & 0x7fffffffu) | (value ? 0x80000000u : 0u);
}

// ---- key device --------------------------------------------------------------
// Opens "/dev/input/event_key" for reading (non-blocking on the simulated
// board's FIFO, which stays open while writers come and go); -1 on failure.
int keyDeviceOpen();
// Sets the driver's auto-repeat delay and period; false on failure.
bool keyDeviceSetRepeat(int fd, int delayMs, int periodMs);
// Size in bytes of one native input event record.
int inputEventSize();

// ---- generic descriptors -------------------------------------------------------
// Opens a device node (resolved) read-write; -1 on failure.
int openDevice(const QString &boardPath, bool readWrite = true);
void closeFd(int fd);

// ---- SD card ---------------------------------------------------------------
constexpr const char *kCardDevice = "/dev/mmcblk0p1";
// Opens the card's block device to test that a card is there; -1 without one.
int cardOpen();
bool cardPresent();
struct DiskSpace {
    bool ok = false;
    quint64 totalMb = 0;
    quint64 freeMb = 0;   // available to the user
};
// statfs on the folder; on the simulated board sim/sd_total_mb and
// sim/sd_free_mb, when present, override what the host reports.
DiskSpace diskSpace(const QString &boardPath);
// A step of writing a file of the card whole: called before the file is
// written and again before it is renamed into place (host path of the final
// name); false when the write must stop there. Always true on the board. On
// the simulated board a test may make a card fault at an exact step through
// DIR/sim/card_fault: "pull@N" pulls the card out at the N-th step from now
// ("pull" at the next one; its node goes and its folder moves to
// DIR/sim/pulled_card, where the test holds it until it puts it back; the
// file is removed), "readonly" fails every step, as a write-protected card
// does, while the file says so.
bool cardWriteStep(const QString &hostPath);

// ---- clock -----------------------------------------------------------------
// The board's clock. On the simulated board it is the host clock plus the
// offset kept in sim/clock_offset; setting it never touches the host clock.
QDateTime now();
std::time_t nowSeconds();
bool setClock(std::time_t t);

// ---- network identity -------------------------------------------------------
// Hardware address of wlan0 as "AA:BB:CC:DD:EE:FF" (upper-case hex, as the
// interface listing gives it), empty when there is none.
QString wlan0Mac();

// ---- USB control request to the infrared module -------------------------------
struct UsbControl {
    uint8_t requestType = 0;
    uint8_t request = 0;
    uint16_t value = 0;
    uint16_t index = 0;
    uint16_t length = 0;
    uint32_t timeoutMs = 0;
    unsigned char *data = nullptr;
};
enum class UsbControlResult { Ok, OpenFailed, TransferFailed };
UsbControlResult usbControl(const QString &boardNode, const UsbControl &req);

// ---- small file helpers used with board paths ---------------------------------
// Where a board path's file really is: a symbolic link followed to the file it
// leads to (on the simulated board an absolute target is a board path too).
QString realFile(const QString &boardPath);
// Replaces a board file whole or not at all: written beside the real file,
// with its mode and owner, then renamed over it (a link stays a link).
bool replaceFile(const QString &boardPath, const QByteArray &data);
// Reads a whole (small) board file, through links; empty when it cannot be read.
QByteArray readFile(const QString &boardPath, bool *ok = nullptr);
bool writeFile(const QString &boardPath, const QByteArray &data);
bool exists(const QString &boardPath);

}   // namespace board
