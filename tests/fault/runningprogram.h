#pragma once
// The built program as a separate process on a simulated board of the test's
// own, driven through its key device, and what a fault campaign checks after
// each blow: every image on the card whole, every INI file whole, the program
// alive and still saving.
#include "core/keystate.h"
#include "common/testboard.h"
#include "connectivity/loopbackclient.h"
#include "media/savedimage.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <map>
#include <set>

namespace fault {

inline const QString kFolder = QStringLiteral("/media/mmcblk0p1/DCIM_100/");
inline const char *const kKeys[] = {"Norvik7_config.ini",  "SystemConfig.ini", "CalTempConfig.ini",
                                    "ImageCal_config.ini", "ImageConfig.ini",  "sn_config.ini"};

// A number from the environment (the campaign script raises the CTest rounds).
inline int knob(const char *name, int fallback)
{
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok && v > 0 ? v : fallback;
}

struct Program {
    TestBoard board;
    QProcess p;
    int port = loopback::freePort();
    QStringList env;                                 // extra NAME=VALUE of the next start
    std::map<QString, std::set<QString>> keysHeld;   // INI file -> keys it held

    Program()
    {
        // Auto save: one trigger press saves; the first-boot menu is not wanted.
        board.write("/root/Norvik7_config.ini", "[config]\nlanguage=English\nauto_save=Yes\n");
        board.write("/root/SystemConfig.ini", "[system]\nlanguage=English\n");
        // What the program prints, kept beside the board for a failure's reader.
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.setStandardOutputFile(board.file("/sim/program.log"), QIODevice::Append);
    }
    ~Program() { kill(); }

    void start()
    {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("NORVIK7_ROOT", board.root());
        e.insert("QT_QPA_PLATFORM", "offscreen");
        e.insert("NORVIK7_TCP_PORT", QString::number(port));
        e.remove("NORVIK7_KEYPAD");
        e.remove("NORVIK7_SCREEN_PNG");
        for (const QString &kv : env)
            e.insert(kv.section('=', 0, 0), kv.section('=', 1));
        p.setProcessEnvironment(e);
        // A file-size limit (setFileSizeLimit) stands for a card that fills up
        // in the middle of a write: the write fails there, and the signal that
        // would end the program is ignored, as a full card sends none.
        p.setChildProcessModifier([] { ::signal(SIGXFSZ, SIG_IGN); });
        p.start(NORVIK7_PROGRAM, {});
        QVERIFY(p.waitForStarted(5000));
    }
    QByteArray logTail() const { return board.read("/sim/program.log").right(600); }
    void setFileSizeLimit(rlim_t limit)
    {
        const rlimit r{limit, RLIM_INFINITY};   // the soft limit only: raised again without privilege
        ::prlimit(static_cast<pid_t>(p.processId()), RLIMIT_FSIZE, &r, nullptr);
    }
    void kill()
    {
        if (p.state() == QProcess::NotRunning)
            return;
        p.kill();
        p.waitForFinished(5000);
    }
    bool alive() const { return p.state() == QProcess::Running; }

    // The program has read every key record written so far (false: it hangs).
    bool keysTaken(int ms = 5000) const
    {
        const QByteArray fifo = QFile::encodeName(board.file("/dev/input/event_key"));
        const int fd = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
        if (fd < 0)
            return false;
        QDeadlineTimer deadline(ms);
        int pending = 1;
        while (::ioctl(fd, FIONREAD, &pending) == 0 && pending > 0 && !deadline.hasExpired())
            QTest::qWait(5);
        ::close(fd);
        return pending == 0;
    }
    void press(int code, int times = 1) const
    {
        for (int i = 0; i < times; ++i) {
            board.sendKey(code, keyvalue::Press);
            board.sendKey(code, keyvalue::Release);
        }
    }

    QString folder() const { return board.file(kFolder); }
    QString file(int number, const char *extension) const
    {
        return QDir(folder()).filePath(QStringLiteral("IMG_%1.").arg(number, 4, 10, QLatin1Char('0')) + extension);
    }
    QStringList images() const { return QDir(folder()).entryList({"IMG_*.bmp"}, QDir::Files, QDir::Name); }
    int counter() const
    {
        return QSettings(board.file("/root/ImageConfig.ini"), QSettings::IniFormat).value("config/image_count").toInt();
    }

    // Presses the trigger (twice where a panel waits for its save, again
    // while the start-up screen or an earlier "Saved" still ignores it) until
    // a new image is on the card and the save has ended; its number, 0 when
    // none came within `ms`.
    int saveOne(int ms = 30000)
    {
        const QStringList before = images();
        QDeadlineTimer deadline(ms);
        while (!deadline.hasExpired() && alive()) {
            press(keycode::Trigger);
            for (QDeadlineTimer step(1500); !step.hasExpired();) {
                QTest::qWait(20);
                for (const QString &name : images()) {
                    if (before.contains(name))
                        continue;
                    // Done when the counter, written last, has moved on.
                    const int n = name.mid(4, 4).toInt();
                    for (QDeadlineTimer done(5000); counter() != n + 1 && !done.hasExpired();)
                        QTest::qWait(20);
                    return n;
                }
            }
        }
        return 0;
    }

    // What is wrong with the card's images: a BMP that does not parse whole,
    // a JPEG that does not decode, a BMP whose JPEG twin is missing (when
    // `twins`), anything else named as an image, or a part file of a save
    // (when `parts` is false).
    QStringList cardFaults(bool twins = true, bool parts = false) const
    {
        QStringList faults;
        const QDir dir(folder());
        for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
            const QString path = dir.filePath(name);
            if (!name.startsWith("IMG_")) {
                if (!parts)
                    faults << name + " left";
            } else if (name.endsWith(".bmp")) {
                const savedimage::Contents c = savedimage::readFile(path);
                if (!c.header || !c.hasExif || !c.hasRaw || QFileInfo(path).size() != 406096)
                    faults << name + " half";
                if (twins && !dir.exists(name.chopped(3) + "jpg"))
                    faults << name + " without its JPEG";
            } else if (name.endsWith(".jpg")) {
                if (QImage(path, "JPEG").isNull())
                    faults << name + " does not decode";
            } else {
                faults << name + " left";
            }
        }
        return faults;
    }

    // INI files that do not parse or lost a key they held when last looked at.
    QStringList iniFaults()
    {
        QStringList faults;
        for (const char *name : kKeys) {
            const QString path = board.file(QStringLiteral("/root/") + name);
            if (!QFileInfo::exists(path))
                continue;
            QSettings s(path, QSettings::IniFormat);
            if (s.status() != QSettings::NoError)
                faults << QString::fromLatin1(name) + " does not parse";
            const QStringList now = s.allKeys();
            std::set<QString> &held = keysHeld[name];
            for (const QString &k : held)
                if (!now.contains(k))
                    faults << QString::fromLatin1(name) + " lost " + k;
            held.insert(now.begin(), now.end());
        }
        return faults;
    }
};

}   // namespace fault
