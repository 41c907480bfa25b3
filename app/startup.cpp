#include "app/startup.h"

#include "board/board.h"

#include <QFontDatabase>
#include <QCursor>
#include <QGuiApplication>

#include <cstdio>

namespace startup {

void prepareBoard()
{
    board::reloadEnvironment();
    if (board::isSimulated() && !board::seedIfNeeded())
        std::printf("cannot seed the simulated board at %s\n", qPrintable(board::simRoot()));
    board::enterWorkingDirectory();
}

void prepareApplication()
{
    // Qt 6 is UTF-8 throughout: no codecs to set.
    if (QFontDatabase::addApplicationFont(QStringLiteral("Wenquanyiweimihei.ttf")) < 0)
        std::printf("font Wenquanyiweimihei.ttf not loaded\n");
    if (!board::isSimulated())
        QGuiApplication::setOverrideCursor(Qt::BlankCursor);
}

}  // namespace startup
