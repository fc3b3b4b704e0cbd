#include "app/Driver.h"
#include "platform/ConsoleEntry.h"

HV_CONSOLE_ENTRY(hv::RunDriver)
