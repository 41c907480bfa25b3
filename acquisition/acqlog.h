#pragma once
// The acquisition side's messages: printf to standard output, as everywhere
// in the program, and into a capture while one is open (tests read it).
#include <string>

namespace acq {

void log(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

// Collects every message logged while it lives.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;
    std::string text() const;
};

}   // namespace acq
