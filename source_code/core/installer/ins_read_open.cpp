#include "core/installer/ins_read_open.h"

#include "core/installer/ins_read_result.h"
#include "core/ui/log.h"

int ins_read_check_open(const xmap_class& m, const char* what, const std::string& path)
{
	if (!m.is_open()) {
		skyvane_log_write(log_error, "INS", "Cannot open the %s %s", what, path.c_str());
		return ins_read_cannot_open;
	}
	if (m.size() > ins_read_max_bytes) {
		skyvane_log_write(log_error, "INS", "Refusing the %s %s: %zu bytes, more than the %zu a genuine one may have",
		                  what, path.c_str(), m.size(), ins_read_max_bytes);
		return ins_read_too_large;
	}
	return ins_read_ok;
}
