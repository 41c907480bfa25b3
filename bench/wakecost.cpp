// What this machine charges a thread for waking up, the figure that sets the
// floor under the live view's processor use: the acquisition thread wakes
// twice a frame (its pause, the module's frame) and the GUI thread once, 25
// frames a second.
//
// Prints, for a thread that sleeps 20 ms at a time (the loop's pause):
//   - the processor time each wake-up costs it, against the same loop with
//     no sleep in it (whose turn costs next to nothing);
//   - a 512 KB copy right after waking against the same copy back to back:
//     how much of the caches a 20 ms sleep leaves (on a virtual machine
//     often none).
// Usage: norvik7_wakecost [SECONDS]   (default 5)
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace {

double threadMicros()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

double wallMicros()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

struct Round {
    double cpuPerTurn;    // processor time of one turn of the loop, µs
    double copyPerTurn;   // wall time of its copy, µs (the thread runs throughout)
};

// `turns` turns of: sleep `sleepMs` (none for 0), copy `bytes` from a to b.
Round run(int turns, int sleepMs, std::vector<char> &a, std::vector<char> &b, size_t bytes)
{
    double copy = 0;
    const double cpu0 = threadMicros();
    for (int i = 0; i < turns; ++i) {
        if (sleepMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(sleepMs));
        const double w0 = wallMicros();
        std::memcpy(b.data(), a.data(), bytes);
        copy += wallMicros() - w0;
        a[static_cast<size_t>(i) % bytes] ^= 1;   // the copy is not optimised away
    }
    return {(threadMicros() - cpu0) / turns, copy / turns};
}

}   // namespace

int main(int argc, char **argv)
{
    const double seconds = argc > 1 ? std::max(1.0, std::atof(argv[1])) : 5.0;
    constexpr int kSleepMs = 20;
    const int turns = static_cast<int>(seconds * 1000 / kSleepMs);
    constexpr size_t kBig = 512 * 1024;
    std::vector<char> a(kBig, 1), b(kBig, 2);

    // Wake-up alone: a one-byte copy, so the turn is the sleep and nothing else.
    const Round idle = run(turns, kSleepMs, a, b, 1);
    const Round busy = run(turns * 10, 0, a, b, 1);
    const double wake = idle.cpuPerTurn - busy.cpuPerTurn;
    std::printf("wake-up after a %d ms sleep: %.1f us of processor time (loop without the sleep: %.2f us a turn)\n",
                kSleepMs, wake, busy.cpuPerTurn);
    std::printf("  so 25 wake-ups a second cost %.3f %% of one core\n", 25 * wake / 1e4);

    // The caches after a sleep.
    const Round cold = run(turns, kSleepMs, a, b, kBig);
    const Round hot = run(turns * 10, 0, a, b, kBig);
    std::printf("512 KB copy right after waking: %.1f us; back to back: %.1f us; ratio %.2f\n", cold.copyPerTurn,
                hot.copyPerTurn, cold.copyPerTurn / hot.copyPerTurn);
    return 0;
}
