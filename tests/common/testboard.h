#pragma once
// A fresh simulated board for one test: a temporary root, NORVIK7_ROOT set,
// seeded, the working directory inside it, and "halt" recorded instead of
// ending the test process.
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <optional>

class TestBoard {
public:
    // A seeded board's main configuration holds `language` "English", so the
    // checks read the English texts (a fresh board of the product starts in
    // Chinese); `english` false leaves the configuration as the product
    // finds it on a fresh board.
    explicit TestBoard(bool seed = true, bool english = true);
    ~TestBoard();

    QString root() const;
    // Host path of a board path ("/root/x.ini" -> ROOT/root/x.ini).
    QString file(const QString &boardPath) const;
    void write(const QString &boardPath, const QByteArray &data) const;
    QByteArray read(const QString &boardPath) const;
    void remove(const QString &boardPath) const;

    // The command log, one command a line.
    QStringList commands() const;
    void clearCommands() const;
    int halts() const { return m_halts; }

    // Writes one native input event record to the key device FIFO.
    void sendKeyEvent(int type, int code, int value) const;
    // A press or release followed by its synchronisation record.
    void sendKey(int code, int value) const;
    // Runs the event loop until the program has read everything written to
    // its key device (`fd`, the program's own descriptor of it).
    static void waitUntilKeysRead(int fd);

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::optional<QByteArray> m_oldRoot;   // none: NORVIK7_ROOT was not set
    QString m_oldCwd;
    int m_halts = 0;
};
