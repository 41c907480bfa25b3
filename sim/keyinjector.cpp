#include "sim/keyinjector.h"

#include <QFile>

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/input.h>
#include <sys/time.h>
#include <unistd.h>

namespace sim {

KeyInjector::KeyInjector(const QString &device, int repeatDelayMs, int repeatPeriodMs, QObject *parent)
    : QObject(parent), m_device(device), m_delayMs(repeatDelayMs), m_periodMs(repeatPeriodMs)
{
    m_repeat.setSingleShot(false);
    m_repeat.setTimerType(Qt::PreciseTimer);
    connect(&m_repeat, &QTimer::timeout, this, &KeyInjector::repeatOnce);
}

KeyInjector::~KeyInjector()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void KeyInjector::press(int code)
{
    if (m_held.contains(code))
        return;
    m_held.insert(code);
    writeRecords(code, 1);
    emit keyChanged(code, true);
    // Only the key pressed last repeats.
    m_repeating = code;
    m_repeat.start(m_delayMs);
}

void KeyInjector::release(int code)
{
    if (!m_held.remove(code))
        return;
    if (m_repeating == code) {
        m_repeat.stop();
        m_repeating = -1;
    }
    writeRecords(code, 0);
    emit keyChanged(code, false);
}

void KeyInjector::repeatOnce()
{
    if (m_repeating < 0 || !m_held.contains(m_repeating)) {
        m_repeat.stop();
        return;
    }
    if (m_repeat.interval() != m_periodMs)
        m_repeat.setInterval(m_periodMs);
    writeRecords(m_repeating, 2);
}

bool KeyInjector::writeRecords(int code, int value)
{
    if (m_fd < 0) {
        // Non-blocking: a program that is not reading never stalls the keypad.
        m_fd = ::open(QFile::encodeName(m_device).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (m_fd < 0)
            return false;
    }
    // The key record and its synchronisation record in one write, so a reader
    // never sees one without the other.
    struct input_event ev[2];
    std::memset(ev, 0, sizeof ev);
    gettimeofday(&ev[0].time, nullptr);
    ev[0].type = EV_KEY;
    ev[0].code = static_cast<__u16>(code);
    ev[0].value = value;
    ev[1].time = ev[0].time;
    ev[1].type = EV_SYN;
    ev[1].code = SYN_REPORT;
    ev[1].value = 0;
    const ssize_t n = ::write(m_fd, ev, sizeof ev);
    if (n != static_cast<ssize_t>(sizeof ev)) {
        // The program went away (or its queue is full): open again next time.
        ::close(m_fd);
        m_fd = -1;
        return false;
    }
    return true;
}

}   // namespace sim
