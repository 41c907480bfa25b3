#include "board/board.h"

int main()
{
    board::run(QStringLiteral("sync"));
    board::run(QStringLiteral("halt"));
    return 3;   // still running after halt
}
