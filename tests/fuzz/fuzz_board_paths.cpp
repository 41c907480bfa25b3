// Paths and command lines that reach the board layer can carry names read
// from the SD card. Whatever they hold, a resolved path stays under the
// simulated root and a command never touches anything outside it.
#include "fuzztarget.h"
#include "board/sim_internal.h"

namespace {
// The board one folder down, beside a canary file, and without the program's font: copying megabytes of it
// around would make each copy command slow.
struct Board : FuzzBoard {
    Board() : FuzzBoard("/board")
    {
        board::setHaltHandler([] {});
        writeFile(dir.path() + "/canary", "x", 1);
        seed();
    }
    void seed() const
    {
        board::seedIfNeeded();
        QFile::remove(root + "/root/Wenquanyiweimihei.ttf");
    }
};
}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Board b;
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<int>(size));
    const QString resolved = board::path(text);
    check(resolved == b.root || resolved.startsWith(b.root + '/'), qPrintable("path escaped the root: " + text));
    // Only commands that act on files; never the card formatter, so the
    // board stays usable between inputs.
    const QString verb = text.left(text.indexOf(' '));
    if (text.contains(QChar(0)) || !text.contains(' ') || !QStringList{"cp", "rm", "mkdir", "echo"}.contains(verb))
        return 0;
    board::sim::carryOut(text);
    const QStringList outside = QDir(b.dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    check(outside.contains("canary") && outside.size() == 2, qPrintable("a command wrote outside the root: " + text));
    // A copy may double the board (a folder into another): a fresh board
    // after each, or a long run fills the disk and slows to a crawl.
    if (text.startsWith("cp ")) {
        QDir(b.root).removeRecursively();
        b.seed();
    }
    return 0;
}
