#include "acquisition/acqlog.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace acq {
namespace {
std::mutex captureMutex;
std::string captured;
std::atomic<int> captures{0};
}   // namespace

void log(const char *fmt, ...)
{
    char line[512];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(line, sizeof line, fmt, ap);
    va_end(ap);
    std::fputs(line, stdout);
    if (captures.load() > 0) {
        std::lock_guard<std::mutex> lock(captureMutex);
        captured += line;
    }
}

LogCapture::LogCapture()
{
    std::lock_guard<std::mutex> lock(captureMutex);
    if (captures.fetch_add(1) == 0)
        captured.clear();
}

LogCapture::~LogCapture() { captures.fetch_sub(1); }

std::string LogCapture::text() const
{
    std::lock_guard<std::mutex> lock(captureMutex);
    return captured;
}

}   // namespace acq
