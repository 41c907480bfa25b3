#include "acquisition/visiblecamera.h"

#include "board/board.h"

std::unique_ptr<VisibleCamera> makeV4l2Camera();
std::unique_ptr<VisibleCamera> makeSimulatedCamera();

std::unique_ptr<VisibleCamera> VisibleCamera::create()
{
#ifndef NORVIK7_REAL_SDK
    if (board::isSimulated())
        return makeSimulatedCamera();
#endif
    return makeV4l2Camera();
}
