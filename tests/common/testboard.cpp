#include "testboard.h"

#include "board/board.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <QTest>

#include <fcntl.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <unistd.h>

TestBoard::TestBoard(bool seed, bool english) : m_dir(std::make_unique<QTemporaryDir>())
{
    if (qEnvironmentVariableIsSet("NORVIK7_ROOT"))
        m_oldRoot = qgetenv("NORVIK7_ROOT");
    m_oldCwd = QDir::currentPath();
    qputenv("NORVIK7_ROOT", m_dir->path().toLocal8Bit());
    board::reloadEnvironment();
    if (seed)
        board::seedIfNeeded();
    board::enterWorkingDirectory();
    board::setHaltHandler([this] { ++m_halts; });
    if (seed && english)
        write(QStringLiteral("/root/Norvik7_config.ini"), "[config]\nlanguage=English\n");
}

TestBoard::~TestBoard()
{
    board::setHaltHandler(nullptr);
    QDir::setCurrent(m_oldCwd);
    m_oldRoot ? void(qputenv("NORVIK7_ROOT", *m_oldRoot)) : void(qunsetenv("NORVIK7_ROOT"));
    board::reloadEnvironment();
}

QString TestBoard::root() const { return m_dir->path(); }

QString TestBoard::file(const QString &boardPath) const { return board::path(boardPath); }

void TestBoard::write(const QString &boardPath, const QByteArray &data) const
{
    QDir().mkpath(QFileInfo(file(boardPath)).absolutePath());
    board::writeFile(boardPath, data);
}

QByteArray TestBoard::read(const QString &boardPath) const { return board::readFile(boardPath); }

void TestBoard::remove(const QString &boardPath) const
{
    QFileInfo(file(boardPath)).isDir() ? void(QDir(file(boardPath)).removeRecursively())
                                       : void(QFile::remove(file(boardPath)));
}

QStringList TestBoard::commands() const
{
    return QString::fromLocal8Bit(read(QStringLiteral("/sim/commands.log"))).split('\n', Qt::SkipEmptyParts);
}

void TestBoard::clearCommands() const { write(QStringLiteral("/sim/commands.log"), QByteArray()); }

void TestBoard::sendKeyEvent(int type, int code, int value) const
{
    const int fd = ::open(QFile::encodeName(file("/dev/input/event_key")).constData(), O_WRONLY | O_NONBLOCK);
    struct input_event ev {};
    gettimeofday(&ev.time, nullptr);
    ev.type = static_cast<__u16>(type);
    ev.code = static_cast<__u16>(code);
    ev.value = value;
    [[maybe_unused]] const ssize_t n = ::write(fd, &ev, sizeof ev);
    ::close(fd);
}

void TestBoard::sendKey(int code, int value) const
{
    sendKeyEvent(EV_KEY, code, value);
    sendKeyEvent(EV_SYN, 0, 0);
}

void TestBoard::waitUntilKeysRead(int fd)
{
    for (int i = 0, pending = 1; i < 500 && pending; ++i) {
        QCoreApplication::processEvents();
        if (::ioctl(fd, FIONREAD, &pending) != 0 || pending)
            QTest::qWait(2);
    }
    QCoreApplication::processEvents();
}
