// The platform types the port functions and the switch procedure are written
// in. On Windows they are the system's own.
#pragma once

#include <windows.h>
