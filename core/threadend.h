#pragma once
// The end of a thread's run(), published to whoever waits for the thread.
//
// A ThreadEnd made first in run() sets its flag (release) as run() returns,
// after every other local is gone; the owner reads the flag (acquire) after
// QThread::wait(), so everything the thread touched is seen as done, also by
// ThreadSanitizer, which cannot see into Qt's own wait.
#include <atomic>

struct ThreadEnd {
    std::atomic<bool> &flag;
    ~ThreadEnd() { flag.store(true, std::memory_order_release); }
};
