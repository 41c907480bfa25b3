#pragma once
// Sizes of the card as the device information page shows them.
#include <QString>
#include <QtGlobal>

namespace deviceinfo {

constexpr const char *kVersion = "V2.0.22";

// 1..1023 MB as "<n>MB"; from 1024 MB up as GB with two decimals ("1.00GB",
// "14.84GB"); 0 as "0MB".
QString sizeText(quint64 megabytes);

}   // namespace deviceinfo
