#pragma once
// The lock of the log ring, for callers of skyvane_log_write_raw_internal.
#include "core/thread/UTL_threads.h"

extern UTL_critical_section gDebugLogLock;
