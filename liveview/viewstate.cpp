#include "liveview/viewstate.h"

ViewState viewState;
