#include "sim/simscreen.h"

#include "core/placement.h"
#include "board/board.h"
#include "sim/keyinjector.h"
#include "sim/keypad.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPixmap>
#include <QSaveFile>
#include <QScreen>
#include <QTimer>
#include <QWidget>

SimScreen::SimScreen(const QString &file, QObject *parent) : QObject(parent), m_file(file)
{
    auto *t = new QTimer(this);
    connect(t, &QTimer::timeout, this, &SimScreen::grabOnce);
    t->start(1000);
}

bool SimScreen::grabOnce()
{
    QScreen *s = QGuiApplication::primaryScreen();
    if (!s)
        return false;
    const QPixmap shot = s->grabWindow(0, 0, 0, 240, 320);
    QDir().mkpath(QFileInfo(m_file).absolutePath());
    // Written whole and renamed, so a reader never sees half a picture.
    QSaveFile out(m_file);
    if (!out.open(QIODevice::WriteOnly) || !shot.save(&out, "PNG") || !out.commit())
        return false;
    // Beside it, the windows shown (class and object name), for a
    // test that needs to know where the program stands.
    QByteArray shown;
    const QWidgetList all = QApplication::topLevelWidgets();
    for (auto it = all.crbegin(); it != all.crend(); ++it) {
        if ((*it)->isVisible())
            shown += QByteArray((*it)->metaObject()->className()) + ' ' + (*it)->objectName().toUtf8() + '\n';
    }
    QSaveFile list(m_file + QStringLiteral(".txt"));
    return list.open(QIODevice::WriteOnly) && list.write(shown) == shown.size() && list.commit();
}

namespace sim {
void startSimulatorExtras(QObject *owner)
{
    const QString png = qEnvironmentVariable("NORVIK7_SCREEN_PNG");
    if (!png.isEmpty())
        new SimScreen(png, owner);

    // The PC keyboard drives the device wherever the program has the keyboard;
    // the on-screen keypad only when the simulator script asks for it.
    auto *injector = new KeyInjector(board::path(QStringLiteral("/dev/input/event_key")), 500, 300, owner);
    QCoreApplication::instance()->installEventFilter(new PcKeyboard(injector, owner));
    if (qEnvironmentVariable("NORVIK7_KEYPAD") == QLatin1String("1")) {
        auto *pad = new Keypad(injector);
        QObject::connect(owner, &QObject::destroyed, pad, [pad] { delete pad; });
        placement::placeOnScreen(pad, 240, 0);
        pad->show();
    }
}
}   // namespace sim
