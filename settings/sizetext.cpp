#include "settings/sizetext.h"

namespace deviceinfo {

QString sizeText(quint64 megabytes)
{
    if (megabytes < 1024)
        return QString::number(megabytes) + QStringLiteral("MB");
    return QString::number(static_cast<double>(megabytes) / 1024.0, 'f', 2) + QStringLiteral("GB");
}

}   // namespace deviceinfo
