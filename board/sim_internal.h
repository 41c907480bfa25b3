#pragma once
// Pieces of the simulated board shared by the board layer's own files.
#include <QString>
#include <QStringList>

namespace board::sim {

// Splits a command line into words: blanks separate, single and double quotes
// group, a backslash escapes the next character. No expansion of any kind.
QStringList splitWords(const QString &line);

// Carries out one logged command inside the simulated root; returns its exit
// status as run() gives it.
int carryOut(const QString &line);

// Path of a file of the simulator's own under DIR/sim.
QString simFile(const QString &name);

}   // namespace board::sim
