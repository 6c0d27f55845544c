// Idle-sleep hold-off: one logind lock while any holder lives, given back with the last one, and
// a failure that never stops the install. The system bus is a private socket in a scratch folder,
// answered by a stand-in for logind built with sd-bus in server mode.
#include "app/Installer-f/engine/sleep_inhibitor.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <array>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/Installer-f/engine/ins_url_reader.h"
#include "support/log_capture.h"
#include "support/scratch_dir.h"

namespace {

// Answers Hello like a bus and Inhibit like logind; one client connection at a time.
class fake_logind {
public:
	enum class answer { grant, deny };

	fake_logind(const std::string& socket_path, answer a) : path_(socket_path), answer_(a)
	{
		listen_fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
		sockaddr_un addr{};
		addr.sun_family = AF_UNIX;
		snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path_.c_str());
		EXPECT_EQ(bind(listen_fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
		EXPECT_EQ(listen(listen_fd_, 4), 0);
		stop_fd_ = eventfd(0, EFD_CLOEXEC);
		thread_ = std::thread([this] { serve(); });
	}
	~fake_logind()
	{
		uint64_t one = 1;
		EXPECT_EQ(write(stop_fd_, &one, sizeof one), static_cast<ssize_t>(sizeof one));
		thread_.join();
		for (int fd : lock_ends_) close(fd);
		close(listen_fd_);
		close(stop_fd_);
	}

	std::string address() const { return "unix:path=" + path_; }
	std::vector<std::array<std::string, 4>> calls()
	{
		std::lock_guard<std::mutex> g(mu_);
		return calls_;
	}
	// Locks handed out whose holder has not closed them yet.
	int open_locks(int wait_ms = 0)
	{
		std::vector<int> ends;
		{
			std::lock_guard<std::mutex> g(mu_);
			ends = lock_ends_;
		}
		int open = 0;
		for (int fd : ends) {
			pollfd p{fd, POLLIN, 0};
			if (poll(&p, 1, wait_ms) == 0) ++open;  // no end of file yet
		}
		return open;
	}

private:
	static int on_hello(sd_bus_message* m, void*, sd_bus_error*) { return sd_bus_reply_method_return(m, "s", ":1.7"); }

	static int on_inhibit(sd_bus_message* m, void* self_v, sd_bus_error*)
	{
		fake_logind* self = static_cast<fake_logind*>(self_v);
		const char *what, *who, *why, *mode;
		int r = sd_bus_message_read(m, "ssss", &what, &who, &why, &mode);
		if (r < 0) return r;
		{
			std::lock_guard<std::mutex> g(self->mu_);
			self->calls_.push_back({what, who, why, mode});
		}
		if (self->answer_ == answer::deny)
			return sd_bus_reply_method_errorf(m, "org.freedesktop.DBus.Error.AccessDenied", "Refused by the test");
		int p[2];
		if (pipe2(p, O_CLOEXEC) != 0) return -errno;
		{
			// Stored before the answer goes out: the holder may look at once.
			std::lock_guard<std::mutex> g(self->mu_);
			self->lock_ends_.push_back(p[0]);
		}
		r = sd_bus_reply_method_return(m, "h", p[1]);
		close(p[1]);  // the holder's copy is now the only write end
		return r;
	}

	bool stopping()
	{
		pollfd p{stop_fd_, POLLIN, 0};
		return poll(&p, 1, 0) == 1;
	}

	void serve()
	{
		static const sd_bus_vtable bus_vtable[] = {
		    SD_BUS_VTABLE_START(0),
		    SD_BUS_METHOD("Hello", "", "s", &fake_logind::on_hello, SD_BUS_VTABLE_UNPRIVILEGED),
		    SD_BUS_VTABLE_END};
		static const sd_bus_vtable login_vtable[] = {
		    SD_BUS_VTABLE_START(0),
		    SD_BUS_METHOD("Inhibit", "ssss", "h", &fake_logind::on_inhibit, SD_BUS_VTABLE_UNPRIVILEGED),
		    SD_BUS_VTABLE_END};
		for (;;) {
			pollfd w[2] = {{listen_fd_, POLLIN, 0}, {stop_fd_, POLLIN, 0}};
			if (poll(w, 2, -1) < 0 || (w[1].revents & POLLIN)) return;
			int c = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
			if (c < 0) continue;
			sd_bus* bus = nullptr;
			sd_id128_t id;
			sd_id128_randomize(&id);
			if (sd_bus_new(&bus) < 0 || sd_bus_set_fd(bus, c, c) < 0 || sd_bus_set_server(bus, 1, id) < 0 ||
			    sd_bus_add_object_vtable(bus, nullptr, "/org/freedesktop/DBus", "org.freedesktop.DBus", bus_vtable,
			                             this) < 0 ||
			    sd_bus_add_object_vtable(bus, nullptr, "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
			                             login_vtable, this) < 0 ||
			    sd_bus_start(bus) < 0) {
				ADD_FAILURE() << "fake logind could not take the connection";
				sd_bus_flush_close_unref(bus);
				continue;
			}
			while (!stopping()) {
				int r = sd_bus_process(bus, nullptr);
				if (r < 0) break;  // the client has gone
				if (r > 0) continue;
				pollfd q[2] = {{sd_bus_get_fd(bus), static_cast<short>(sd_bus_get_events(bus)), 0}, {stop_fd_, POLLIN, 0}};
				poll(q, 2, -1);
			}
			sd_bus_flush_close_unref(bus);
		}
	}

	std::string path_;
	answer answer_;
	int listen_fd_ = -1;
	int stop_fd_ = -1;
	std::thread thread_;
	std::mutex mu_;
	std::vector<std::array<std::string, 4>> calls_;
	std::vector<int> lock_ends_;
};

// Points the system bus at an address for the test's life.
class system_bus_at {
public:
	explicit system_bus_at(const std::string& address)
	{
		const char* old = getenv("DBUS_SYSTEM_BUS_ADDRESS");
		had_ = old != nullptr;
		if (had_) old_ = old;
		setenv("DBUS_SYSTEM_BUS_ADDRESS", address.c_str(), 1);
	}
	~system_bus_at()
	{
		if (had_)
			setenv("DBUS_SYSTEM_BUS_ADDRESS", old_.c_str(), 1);
		else
			unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
	}

private:
	bool had_ = false;
	std::string old_;
};

size_t occurrences(const std::string& text, const std::string& what)
{
	size_t n = 0;
	for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
	return n;
}

// Well past any answer of a local socket: only a lock that is never given back waits this long.
constexpr int k_release_wait_ms = 20000;

class sleep_inhibitor_test : public ::testing::Test {
protected:
	void SetUp() override
	{
		ASSERT_EQ(sleep_inhibitor_holders(), 0);
		sleep_inhibitor_forget_logged_failure();
	}
	void TearDown() override { EXPECT_EQ(sleep_inhibitor_holders(), 0); }

	scratch_dir dir;
	log_capture log;
};

}  // namespace

TEST_F(sleep_inhibitor_test, one_lock_from_the_first_holder_to_the_last)
{
	fake_logind logind(dir / "bus", fake_logind::answer::grant);
	system_bus_at bus(logind.address());

	sleep_inhibitor_acquire();
	EXPECT_TRUE(sleep_inhibitor_is_held());
	sleep_inhibitor_acquire();
	EXPECT_EQ(sleep_inhibitor_holders(), 2);
	auto calls = logind.calls();
	ASSERT_EQ(calls.size(), 1u);  // the second holder shares the lock
	EXPECT_EQ(calls[0][0], "idle:sleep");
	EXPECT_EQ(calls[0][1], "Skyvane 11 Installer");
	EXPECT_NE(calls[0][2], "");
	EXPECT_EQ(calls[0][3], "block");

	sleep_inhibitor_release();
	EXPECT_EQ(logind.open_locks(), 1);
	EXPECT_TRUE(sleep_inhibitor_is_held());
	sleep_inhibitor_release();
	EXPECT_FALSE(sleep_inhibitor_is_held());
	EXPECT_EQ(logind.open_locks(k_release_wait_ms), 0);

	sleep_inhibitor_release();  // one too many changes nothing
	EXPECT_EQ(sleep_inhibitor_holders(), 0);
	sleep_inhibitor_acquire();  // a new first holder takes a new lock
	EXPECT_EQ(logind.calls().size(), 2u);
	sleep_inhibitor_release();
	EXPECT_EQ(logind.open_locks(k_release_wait_ms), 0);
}

TEST_F(sleep_inhibitor_test, readers_hold_it_while_they_live)
{
	fake_logind logind(dir / "bus", fake_logind::answer::grant);
	system_bus_at bus(logind.address());
	UTL_atomic_fifo<ins_req_file*> in(4);
	UTL_atomic_fifo<ins_encoded_file*> out(4);
	{
		ins_url_reader a(&in, &out, "http://127.0.0.1:1/");
		ins_url_reader b(&in, &out, "http://127.0.0.1:2/");
		EXPECT_EQ(sleep_inhibitor_holders(), 2);
		EXPECT_EQ(logind.calls().size(), 1u);
		EXPECT_EQ(logind.open_locks(), 1);
		a.send_end_markers();
		b.send_end_markers();
	}
	EXPECT_EQ(logind.open_locks(k_release_wait_ms), 0);
}

TEST_F(sleep_inhibitor_test, failure_is_logged_once_and_nothing_else_happens)
{
	const struct {
		const char* name;
		bool serve;
		const char* reason;  // in the logged line
	} cases[] = {
	    {"no_bus", false, "no system bus"},
	    {"logind_refuses", true, "Refused by the test"},
	};
	for (const auto& c : cases) {
		SCOPED_TRACE(c.name);
		sleep_inhibitor_forget_logged_failure();
		std::unique_ptr<fake_logind> logind;
		if (c.serve) logind = std::make_unique<fake_logind>(dir / c.name, fake_logind::answer::deny);
		system_bus_at bus("unix:path=" + (dir / c.name));
		std::string before = log.text();
		for (int round = 0; round < 2; ++round) {
			sleep_inhibitor_acquire();
			EXPECT_EQ(sleep_inhibitor_holders(), 1);
			EXPECT_FALSE(sleep_inhibitor_is_held());
			sleep_inhibitor_release();
		}
		std::string added = log.text().substr(before.size());
		EXPECT_EQ(occurrences(added, "Could not hold off idle sleep"), 1u) << added;
		EXPECT_NE(added.find(c.reason), std::string::npos) << added;
		if (logind) {
			EXPECT_EQ(logind->calls().size(), 2u);
		}
	}
}
