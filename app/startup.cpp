#include "app/startup.h"

#include "board/board.h"
#include "core/logging.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace startup {

void prepareBoard()
{
    board::reloadEnvironment();
    if (board::isSimulated() && !board::seedIfNeeded())
        qCWarning(lcSim, "cannot seed the simulated board at %s", qPrintable(board::simRoot()));
    board::enterWorkingDirectory();
}

void prepareApplication()
{
    // Qt 6 is UTF-8 throughout: no codecs to set.
    if (QFontDatabase::addApplicationFont(QStringLiteral("Wenquanyiweimihei.ttf")) < 0)
        qCWarning(lcApp, "font Wenquanyiweimihei.ttf not loaded");
    if (!board::isSimulated())
        QGuiApplication::setOverrideCursor(Qt::BlankCursor);
}

void placeOnScreen(QWidget *w, int x, int y)
{
    const QScreen *s = QGuiApplication::primaryScreen();
    const QPoint origin = s ? s->geometry().topLeft() : QPoint();
    w->move(origin + QPoint(x, y));
}

}  // namespace startup
