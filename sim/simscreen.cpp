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
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>

SimScreen::SimScreen(const QString &file, QObject *parent) : QObject(parent), m_file(file)
{
    auto *t = new QTimer(this);
    connect(t, &QTimer::timeout, this, &SimScreen::grabOnce);
    t->start(1000);
}

// The screen as the board's framebuffer composes it: every window shown, in
// the order the windows were first shown (later ones on top), each at its
// opacity, and a translucent window's own unpainted pixels showing what is
// beneath. The desktop's own grab cannot stand for it: neither the offscreen
// platform nor an X server without a compositor blends a translucent window
// with the windows under it.
QImage SimScreen::compose()
{
    QImage screen(240, 320, QImage::Format_RGB32);
    screen.fill(Qt::black);
    QPainter painter(&screen);
    const QWidgetList widgets = QApplication::topLevelWidgets();
    for (QWindow *window : QGuiApplication::topLevelWindows()) {
        const auto it = std::find_if(widgets.cbegin(), widgets.cend(),
                                     [window](QWidget *w) { return w->windowHandle() == window; });
        if (it == widgets.cend() || !(*it)->isVisible() || !(*it)->geometry().intersects(screen.rect()))
            continue;
        QWidget *w = *it;
        QImage layer(w->size(), QImage::Format_ARGB32_Premultiplied);
        layer.fill(Qt::transparent);
        QWidget::RenderFlags flags = QWidget::DrawChildren;
        if (!w->testAttribute(Qt::WA_TranslucentBackground))
            flags |= QWidget::DrawWindowBackground;
        w->render(&layer, QPoint(), QRegion(), flags);
        painter.setOpacity(w->windowOpacity());
        painter.drawImage(w->geometry().topLeft(), layer);
    }
    return screen;
}

bool SimScreen::grabOnce()
{
    const QImage shot = compose();
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
