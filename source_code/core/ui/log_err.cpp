#include "core/ui/err_code.h"
#include "core/ui/log.h"

void log_err(const ins_err& err)
{
	if (err.code == 0 || err.code == err_cancelled)
		return;
	skyvane_log_write(log_error, "INS", "Error processing %s: %s (%s:%d)", err.what.c_str(),
	                  error_str(err.code).c_str(), err.src_file ? err.src_file : "unknown", err.line);
	skyvane_log_flush();
}
