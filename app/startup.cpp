#include "app/startup.h"

#include "board/board.h"
#include "core/logging.h"

#include <QFontDatabase>
#include <QCursor>
#include <QGuiApplication>

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

}   // namespace startup
