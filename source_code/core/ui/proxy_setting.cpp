#include "core/ui/proxy_setting.h"

#include "core/thread/UTL_threads.h"

namespace {
// Transfer threads copy the host while the main thread may change it.
UTL_critical_section s_lock = 0;
std::string s_host;
}  // namespace

void UTL_set_proxy_host(const std::string& host)
{
	std::string copy = host;  // allocate outside the spin lock
	UTL_cs_guard g(&s_lock);
	s_host.swap(copy);
}

void UTL_get_proxy_host(std::string& out)
{
	UTL_cs_guard g(&s_lock);
	out = s_host;
}
