#include "sim/simscreen.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPixmap>
#include <QSaveFile>
#include <QScreen>
#include <QTimer>

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
    if (!out.open(QIODevice::WriteOnly) || !shot.save(&out, "PNG"))
        return false;
    return out.commit();
}

namespace sim {
void startSimulatorExtras(QObject *owner)
{
    const QString png = qEnvironmentVariable("NORVIK7_SCREEN_PNG");
    if (!png.isEmpty())
        new SimScreen(png, owner);
}
}  // namespace sim
