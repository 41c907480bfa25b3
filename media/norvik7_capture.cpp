// The main window's side of image capture.
#include "app/norvik7.h"

// The capture and the service screenshot come with the saved image format.
void Norvik7::isSaveImageVideo() {}
void Norvik7::snapshotImage() {}
