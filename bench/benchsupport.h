#pragma once
// Small helpers shared by the benchmarks that drive the program by its keys.
#include <QByteArray>
#include <QTemporaryDir>

#include "board/board.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <linux/input.h>
#include <unistd.h>
#include <vector>

namespace bench {

// One key record and its synchronisation record, as the driver writes them.
inline void writeKey(int fd, int code, int value)
{
    struct input_event ev[2];
    std::memset(ev, 0, sizeof ev);
    ev[0].type = EV_KEY;
    ev[0].code = static_cast<__u16>(code);
    ev[0].value = value;
    ev[1].type = EV_SYN;
    if (::write(fd, ev, sizeof ev) != static_cast<ssize_t>(sizeof ev))
        std::fprintf(stderr, "short write to the key device\n");
}

// The p-th fraction (0..1) of the sorted values.
inline double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[static_cast<size_t>(p * (v.size() - 1))];
}

// The program on a fresh simulated board rooted in `root`, offscreen unless
// another platform is asked for; a simulated "halt" does not end the run.
inline void enterSimulatedBoard(const QTemporaryDir &root)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    qputenv("NORVIK7_ROOT", root.path().toLocal8Bit());
    board::reloadEnvironment();
    board::seedIfNeeded();
    board::enterWorkingDirectory();
    board::setHaltHandler([] {});
}

}   // namespace bench
