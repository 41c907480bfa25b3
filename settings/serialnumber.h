#pragma once
// The serial number delivered on the card: a file "<serial>.zarnsn" at the
// card's root, taken once (stored, then the file is removed).
#include <QString>
#include <QStringList>

namespace serialnumber {

constexpr const char *kCardFolder = "/media/mmcblk0p1/";
constexpr const char *kSuffixFilter = "*.zarnsn";

// Letters, digits, "-" and "_", 1 to 32 characters.
bool isPlausible(const QString &serial);
// The serial a file name carries: the name up to its first ".".
QString fromFileName(const QString &fileName);

// What taking the serials from the card did.
struct Taken {
    QString serial;        // the serial now in effect (unchanged when nothing was taken)
    QStringList removed;   // files taken and removed
    QStringList ignored;   // files whose names are no plausible serial, left in place
};
// Takes every plausible "*.zarnsn" file of the card's root in name order (the
// last one wins): the serial is stored under `sn` when it differs from
// `current`, and the file is removed only once the serial is stored.
Taken takeFromCard(const QString &current);

}   // namespace serialnumber
