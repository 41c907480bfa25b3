// The main window's side of the acquisition: the thread it starts and the
// connections to it.
#include "app/norvik7.h"

void Norvik7::startThreads()
{
    // The acquisition thread and the TCP server thread are created and started here.
}

void Norvik7::makeAcquisitionConnections() {}

// The blend's transparency and the shutter come with the acquisition thread.
void Norvik7::decreaseTrans() {}
void Norvik7::increaseTrans() {}
void Norvik7::requestShutterCorrection() {}
