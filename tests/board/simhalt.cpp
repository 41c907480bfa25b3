#include "board/board.h"

#include <cstdio>

int main()
{
    board::run(QStringLiteral("sync"));
    board::run(QStringLiteral("halt"));
    std::printf("still running after halt\n");
    return 3;
}
