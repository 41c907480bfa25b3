#include "board/board.h"
#include "board/sim_internal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <sys/types.h>

namespace board {
namespace {

struct SeedFile {
    const char *path;
    const char *content;
};

// Nominal readings of a healthy board: 3.9 V battery (ADC 3803 of 4096 at
// 4.2 V full scale), 35 °C board, 45 °C processor, medium backlight.
const SeedFile kSeedFiles[] = {
    {"/sys/bus/iio/devices/iio:device0/in_voltage7_raw", "3803\n"},
    {"/sys/bus/i2c/devices/i2c-0/0-0049/temp1_input", "35000\n"},
    {"/sys/devices/virtual/thermal/thermal_zone0/temp", "45000\n"},
    {"/sys/devices/soc0/backlight.11/backlight/backlight.11/brightness", "6\n"},
    {"/proc/sys/vm/drop_caches", "0\n"},
    {"/etc/hostapd.conf",
     "interface=wlan0\n"
     "ssid=Norvik7\n"
     "driver=nl80211\n"
     "hw_mode=g\n"
     "channel=6\n"
     "auth_algs=1\n"
     "wpa=0\n"},
    {"/dev/gpio", ""},
    {"/dev/mmcblk0p1", ""},
    {"/dev/video_gc0308", ""},
    {"/dev/usb_thermal", ""},
    {"/sim/commands.log", ""},
    {"/sim/wlan0_mac", "02:11:22:dd:ee:ff\n"},
};

const char *const kSeedDirs[] = {
    "/root", "/etc", "/etc/rc.d", "/dev/input", "/media/mmcblk0p1", "/sim", "/sim/gpio", "/tmp",
};

const char *const kFontCandidates[] = {
    "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
};

bool isEmptyDir(const QString &dir)
{
    QDir d(dir);
    return !d.exists() || d.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).isEmpty();
}

}   // namespace

bool seedIfNeeded()
{
    const QString root = simRoot();
    if (root.isEmpty() || !isEmptyDir(root))
        return true;
    if (!QDir().mkpath(root))
        return false;
    for (const char *d : kSeedDirs)
        QDir().mkpath(root + QString::fromLatin1(d));
    for (const SeedFile &f : kSeedFiles) {
        const QString p = root + QString::fromLatin1(f.path);
        QDir().mkpath(QFileInfo(p).absolutePath());
        QFile out(p);
        if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            out.write(f.content);
    }
    const QByteArray fifo = QFile::encodeName(root + QStringLiteral("/dev/input/event_key"));
    ::mkfifo(fifo.constData(), 0666);

    // The program registers "Wenquanyiweimihei.ttf" from its working folder.
    for (const char *font : kFontCandidates) {
        if (QFileInfo::exists(QString::fromLatin1(font))) {
            QFile::copy(QString::fromLatin1(font), root + QStringLiteral("/root/Wenquanyiweimihei.ttf"));
            break;
        }
    }
    return true;
}

}   // namespace board
