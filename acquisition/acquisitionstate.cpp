#include "acquisition/acquisitionstate.h"

AcquisitionState acqState;
