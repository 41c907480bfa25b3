#pragma once
// A signal spy for a signal emitted from another thread: each emission is
// recorded in the test's own thread through its event queue, the way the
// program's receivers get it. (QSignalSpy records in the emitting thread
// while the test reads it in its own.)
#include <QList>
#include <QObject>
#include <QTest>
#include <QVariant>

class QueuedSpy : public QObject, public QList<QList<QVariant>> {
public:
    template <typename Sender, typename... Args>
    QueuedSpy(const Sender *sender, void (Sender::*signal)(Args...))
    {
        connect(
            sender, signal, this, [this](Args... args) { append(QList<QVariant>{QVariant::fromValue(args)...}); },
            Qt::QueuedConnection);
    }
    // True once one more emission has arrived within `ms`.
    bool wait(int ms = 5000)
    {
        const qsizetype before = size();
        return QTest::qWaitFor([&] { return size() > before; }, ms);
    }
};
