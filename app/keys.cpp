// The key dispatcher.
#include "app/norvik7.h"

#include <unistd.h>

void Norvik7::kbdReadyRead()
{
    // Drain the key device until the dispatcher is here.
    char buf[256];
    while (::read(kbdFd, buf, sizeof buf) > 0) {
    }
}
