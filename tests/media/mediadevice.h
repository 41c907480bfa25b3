#pragma once
// A device on a fresh simulated board for the capture and gallery suites:
// the main window booted into the live view, keys written into the key
// device, images and videos put on the card, screens composed into one
// screenshot to look at.
#include "core/keystate.h"
#include "app/norvik7.h"
#include "common/testboard.h"
#include "liveview/viewstate.h"
#include "media/savedimage.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QSplashScreen>
#include <QTimer>
#include <QtTest>

#include <memory>
#include <vector>

namespace media_test {

inline const QString kFolder = QStringLiteral("/media/mmcblk0p1/DCIM_100/");

struct Device {
    TestBoard board;
    std::unique_ptr<Norvik7> w;

    Device()
    {
        keys::resetState();
        saveImageDone.store(true);
        saveImageEnable.store(false);
        w = std::make_unique<Norvik7>();
        for (QTimer *t : {w->refreshTimer, w->cursorTimer, w->secondTimer, w->batteryTimer, w->releaseTimer})
            t->stop();
    }
    ~Device()
    {
        for (QWidget *top : QApplication::topLevelWidgets())
            if (qobject_cast<QSplashScreen *>(top))
                top->close();
    }
    void boot()
    {
        w->show();
        w->initializingLabel->hide();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    void settle() const { TestBoard::waitUntilKeysRead(w->kbdFd); }
    void press(int code, int times = 1) const
    {
        for (int i = 0; i < times; ++i) {
            board.sendKey(code, 1);
            board.sendKey(code, 0);
            settle();
        }
    }
    QString folder() const { return board.file(kFolder) + QLatin1Char('/'); }
    bool onCard(const QString &name) const { return QFile::exists(board.file(kFolder + name)); }
    QStringList visibleMenus() const
    {
        QStringList names;
        for (QWidget *m : w->menuWindows())
            if (m->isVisible())
                names << m->objectName();
        names.sort();
        return names;
    }
};

// A saved image whose screen is one flat colour (told apart by `shade`).
inline QByteArray imageFile(int shade, const savedimage::ExifFields &fields = {})
{
    QImage screen(240, 320, QImage::Format_RGB888);
    screen.fill(QColor(shade % 256, 80, 255 - shade % 256));
    std::vector<uint8_t> gray(240 * 320, static_cast<uint8_t>(shade));
    std::vector<uint16_t> raw(256 * 192, 4700);
    return savedimage::buildFile(screen, savedimage::exifBlock(gray.data(), savedimage::colourTableFor(0), fields),
                                 raw.data());
}

// Images IMG_0001 .. IMG_<count> with their JPEGs.
inline void putImages(const TestBoard &board, int count, int from = 1)
{
    QDir().mkpath(board.file(kFolder));
    for (int i = from; i < from + count; ++i) {
        const QString stem = QStringLiteral("IMG_%1").arg(i, 4, 10, QLatin1Char('0'));
        board.write(kFolder + stem + ".bmp", imageFile(i * 20));
        board.write(kFolder + stem + ".jpg", "jpeg");
    }
}

// The windows a person sees, composed in the order given, as one 240 x 320 picture.
inline QImage screen(const QList<QWidget *> &windows)
{
    QImage out(240, 320, QImage::Format_RGB32);
    out.fill(Qt::black);
    QPainter p(&out);
    for (QWidget *win : windows) {
        if (!win || !win->isVisible())
            continue;
        p.setOpacity(win->windowOpacity());
        p.drawImage(win->geometry().topLeft(), win->grab().toImage());
    }
    for (QWidget *top : QApplication::topLevelWidgets())
        if (qobject_cast<QSplashScreen *>(top) && top->isVisible()) {
            p.setOpacity(1.0);
            p.drawImage(top->geometry().topLeft(), top->grab().toImage());
        }
    return out;
}

inline void saveScreenshot(const QImage &shot, const QString &name)
{
    const QString dir = qEnvironmentVariable("NORVIK7_TEST_BUILD_DIR", QDir::currentPath()) + "/screenshots";
    QDir().mkpath(dir);
    QVERIFY(shot.save(dir + '/' + name + ".png"));
}

// The message of a visible splash window (tips), empty when none shows it.
inline QStringList splashMessages()
{
    QStringList m;
    for (QWidget *top : QApplication::topLevelWidgets())
        if (auto *s = qobject_cast<QSplashScreen *>(top); s && s->isVisible() && !s->message().isEmpty())
            m << s->message();
    return m;
}

}  // namespace media_test
