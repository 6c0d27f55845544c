#include "app/Installer-f/engine/sleep_inhibitor.h"

#include <fcntl.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>

#include "core/ui/log.h"

namespace {

// The D-Bus call is not a few list operations: a mutex, not a spin lock.
std::mutex s_lock;
int s_count_disable_sleep_network = 0;
int s_assertion_no_sleep = -1;  // the inhibitor's file descriptor; closing it ends the lock
bool s_sleep_is_disabled = false;
bool s_failure_logged = false;

// logind answers at once when it is there; never hold up the start of an install for long.
constexpr uint64_t k_call_timeout_us = 3 * 1000 * 1000;

// The inhibitor's descriptor, or -1 with why set.
int take_inhibitor(std::string& why)
{
	sd_bus* bus = nullptr;
	sd_bus_message* call = nullptr;
	sd_bus_message* reply = nullptr;
	sd_bus_error error = SD_BUS_ERROR_NULL;
	int fd = -1;
	int r = sd_bus_open_system(&bus);
	if (r < 0) {
		why = std::string("no system bus: ") + strerror(-r);
	} else if ((r = sd_bus_message_new_method_call(bus, &call, "org.freedesktop.login1", "/org/freedesktop/login1",
	                                                   "org.freedesktop.login1.Manager", "Inhibit")) < 0 ||
	           (r = sd_bus_message_append(call, "ssss", "idle:sleep", SLEEP_INHIBITOR_WHO,
	                                      "Downloading files", "block")) < 0) {
		why = std::string("cannot build the request: ") + strerror(-r);
	} else if ((r = sd_bus_call(bus, call, k_call_timeout_us, &error, &reply)) < 0) {
		why = error.message ? error.message : strerror(-r);
	} else {
		int lent = -1;
		r = sd_bus_message_read(reply, "h", &lent);
		// The reply owns lent; ours must outlive it.
		if (r < 0 || (fd = fcntl(lent, F_DUPFD_CLOEXEC, 3)) < 0)
			why = std::string("bad answer: ") + strerror(r < 0 ? -r : errno);
	}
	sd_bus_error_free(&error);
	sd_bus_message_unref(reply);
	sd_bus_message_unref(call);
	sd_bus_flush_close_unref(bus);
	return fd;
}

}  // namespace

void sleep_inhibitor_acquire()
{
	std::lock_guard<std::mutex> g(s_lock);
	if (++s_count_disable_sleep_network != 1)
		return;
	std::string why;
	s_assertion_no_sleep = take_inhibitor(why);
	s_sleep_is_disabled = s_assertion_no_sleep >= 0;
	if (s_sleep_is_disabled) {
		skyvane_log_write(log_info, "INS", "Idle sleep is held off while downloading.\n");
	} else if (!s_failure_logged) {
		s_failure_logged = true;
		skyvane_log_write(log_warn, "INS", "Could not hold off idle sleep while downloading (%s).\n", why.c_str());
	}
}

void sleep_inhibitor_release()
{
	std::lock_guard<std::mutex> g(s_lock);
	if (s_count_disable_sleep_network == 0 || --s_count_disable_sleep_network != 0)
		return;
	if (s_assertion_no_sleep >= 0)
		close(s_assertion_no_sleep);
	s_assertion_no_sleep = -1;
	s_sleep_is_disabled = false;
}

int sleep_inhibitor_holders()
{
	std::lock_guard<std::mutex> g(s_lock);
	return s_count_disable_sleep_network;
}

bool sleep_inhibitor_is_held()
{
	std::lock_guard<std::mutex> g(s_lock);
	return s_sleep_is_disabled;
}

void sleep_inhibitor_forget_logged_failure()
{
	std::lock_guard<std::mutex> g(s_lock);
	s_failure_logged = false;
}
