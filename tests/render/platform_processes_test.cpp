// Helper programs: opening URLs, launching an application, the folder chooser. Stand-in
// programs on a private PATH play xdg-open, zenity and kdialog.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "core/platform/WIN_launch_app.h"
#include "core/platform/WIN_pick_folder.h"
#include "core/platform/WIN_spawn.h"

namespace {

class HelperPrograms : public ::testing::Test {
protected:
	void SetUp() override
	{
		char tmpl[] = "/tmp/win_helpers_XXXXXX";
		ASSERT_NE(mkdtemp(tmpl), nullptr);
		dir = tmpl;
		bin = dir + "/bin";
		ASSERT_EQ(mkdir(bin.c_str(), 0755), 0);
		const char* p = getenv("PATH");
		saved_path = p ? p : "";
		setenv("PATH", bin.c_str(), 1);
	}
	void TearDown() override
	{
		setenv("PATH", saved_path.c_str(), 1);
		std::string cmd = "rm -rf '" + dir + "'";
		ASSERT_EQ(system(cmd.c_str()), 0);
	}
	void script(const std::string& name, const std::string& body)
	{
		const std::string path = bin + "/" + name;
		std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
		chmod(path.c_str(), 0755);
	}
	std::string slurp(const std::string& path)
	{
		std::ifstream in(path);
		std::stringstream ss;
		ss << in.rdbuf();
		return ss.str();
	}
	bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }
	std::string dir, bin, saved_path;
};

TEST_F(HelperPrograms, OpenUrlPassesTheUrlAsOneArgument)
{
	script("xdg-open", "printf '%s|' \"$@\" > '" + dir + "/args'; exit 0");
	testing::internal::CaptureStdout();
	EXPECT_TRUE(WIN_open_url_and_wait("http://127.0.0.1/a b;$(x)"));
	EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
	EXPECT_EQ(slurp(dir + "/args"), "http://127.0.0.1/a b;$(x)|");
}

TEST_F(HelperPrograms, OpenUrlReportsFailures)
{
	struct c {
		const char* name;
		const char* handler;  // script body, or null for no handler
		const char* url;
	};
	const c cases[] = {
	    {"handler_fails", "exit 4", "http://127.0.0.1/x"},
	    {"no_handler", nullptr, "http://127.0.0.1/x"},
	    {"option_like_url", "touch_never=1; printf x > '%DIR%/ran'", "--help"},
	    {"empty_url", "printf x > '%DIR%/ran'", ""},
	};
	for (const c& k : cases) {
		unlink((bin + "/xdg-open").c_str());
		if (k.handler) {
			std::string body = k.handler;
			size_t at = body.find("%DIR%");
			if (at != std::string::npos) body.replace(at, 5, dir);
			script("xdg-open", body);
		}
		testing::internal::CaptureStdout();
		EXPECT_FALSE(WIN_open_url_and_wait(k.url)) << k.name;
		EXPECT_EQ(testing::internal::GetCapturedStdout(), std::string("URL-Open '") + k.url + "' failed.\n") << k.name;
	}
	EXPECT_FALSE(exists(dir + "/ran"));
}

// Reads what a launched program writes into a FIFO, waiting at most 10 seconds for it.
std::string read_fifo(const std::string& path)
{
	int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK);
	if (fd < 0) return "open failed";
	std::string out;
	bool writer_seen = false;
	for (;;) {
		pollfd p{fd, POLLIN, 0};
		if (poll(&p, 1, 10000) <= 0) break;
		char buf[512];
		ssize_t n = read(fd, buf, sizeof buf);
		if (n > 0) {
			out.append(buf, n);
			writer_seen = true;
		} else if (n == 0 && writer_seen) {
			break;
		}
	}
	close(fd);
	return out;
}

TEST_F(HelperPrograms, LaunchedApplicationRunsInASessionOfItsOwn)
{
	const std::string fifo = dir + "/out";
	ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
	const std::string app = dir + "/Skyvane.app";
	// A descriptor of ours without close-on-exec, such as the log file's.
	const int leaky = open((dir + "/log").c_str(), O_WRONLY | O_CREAT, 0600);
	ASSERT_GE(leaky, 3);
	std::ofstream(app) << "#!/bin/sh\n"
	                   << "read -r pid comm state ppid pgrp sid rest < /proc/$$/stat\n"
	                   << "{ printf '%s|' \"$@\"; [ \"$sid\" = \"$$\" ] && echo leader=yes || echo leader=no;"
	                   << " [ -e /proc/$$/fd/" << leaky << " ] && echo fd=inherited || echo fd=closed; } > '" << fifo
	                   << "'\n";
	chmod(app.c_str(), 0755);

	const char* args[] = {"-path", "/tmp/a folder/", nullptr};
	ASSERT_TRUE(WIN_launch_app(app.c_str(), args));
	close(leaky);
	const std::string got = read_fifo(fifo);
	EXPECT_EQ(got, "-path|/tmp/a folder/|leader=yes\nfd=closed\n");
}

TEST_F(HelperPrograms, LaunchFailuresGoToStandardError)
{
	const std::string not_exec = dir + "/plain";
	std::ofstream(not_exec) << "data";
	const std::pair<std::string, std::string> cases[] = {
	    {dir + "/missing.app", "No such file"}, {not_exec, "Permission denied"}, {"", "no path"}};
	for (const auto& [path, text] : cases) {
		testing::internal::CaptureStderr();
		EXPECT_FALSE(WIN_launch_app(path.c_str(), nullptr)) << path;
		const std::string err = testing::internal::GetCapturedStderr();
		EXPECT_NE(err.find(text), std::string::npos) << err;
	}
}

TEST_F(HelperPrograms, FolderChooserAnswers)
{
	const std::string chosen = dir + "/Chosen Folder";
	ASSERT_EQ(mkdir(chosen.c_str(), 0755), 0);
	const std::string a_file = dir + "/file";
	std::ofstream(a_file) << "x";
	struct c {
		const char* name;
		std::string zenity, kdialog;  // script bodies; empty for not installed
		bool want;
	};
	const std::string record = "printf '%s|' \"$@\" > '" + dir + "/args'; ";
	const c cases[] = {
	    {"zenity_picks", record + "printf '%s\\n' '" + chosen + "'", "", true},
	    {"zenity_cancel", record + "exit 1", "", false},
	    {"zenity_not_a_folder", "printf '%s\\n' '" + a_file + "'", "", false},
	    {"zenity_missing_folder", "printf '%s\\n' '" + dir + "/gone'", "", false},
	    {"zenity_relative", "printf 'relative/path\\n'", "", false},
	    {"kdialog_when_no_zenity", "", record + "printf '%s\\n' '" + chosen + "'", true},
	    {"no_chooser", "", "", false},
	};
	for (const c& k : cases) {
		unlink((bin + "/zenity").c_str());
		unlink((bin + "/kdialog").c_str());
		if (!k.zenity.empty()) script("zenity", k.zenity);
		if (!k.kdialog.empty()) script("kdialog", k.kdialog);
		char* got = WIN_pick_folder("Pick a folder", "Where shall it go?", "Choose", ("file://" + dir + "/Start%20Here").c_str());
		EXPECT_EQ(got != nullptr, k.want) << k.name;
		if (got) EXPECT_EQ(std::string(got), chosen) << k.name;
		free(got);
	}
}

TEST_F(HelperPrograms, FolderChooserArguments)
{
	const std::string record = "printf '%s|' \"$@\" > '" + dir + "/args'; exit 1";
	script("zenity", record);
	EXPECT_EQ(WIN_pick_folder("Title", "m", "p", "file:///home/some%20one/"), nullptr);
	EXPECT_EQ(slurp(dir + "/args"), "--file-selection|--directory|--title=Title|--filename=/home/some one/|");
	unlink((bin + "/zenity").c_str());
	script("kdialog", record);
	EXPECT_EQ(WIN_pick_folder("Title", "m", "p", nullptr), nullptr);
	EXPECT_EQ(slurp(dir + "/args"), "--title|Title|--getexistingdirectory|.|");
}

TEST(UrlToLocalPath, Cases)
{
	const std::pair<const char*, const char*> cases[] = {
	    {"file:///home/user/", "/home/user/"},
	    {"file:///a%20b/c%2Fd", "/a b/c/d"},
	    {"file://localhost/tmp", "/tmp"},
	    {"/already/a/path", "/already/a/path"},
	    {"file://server/share", ""},
	    {"http://127.0.0.1/x", ""},
	    {"file:///bad%00nul", ""},
	    {"file:///trailing%2", "/trailing%2"},
	    {"relative/path", ""},
	};
	for (auto [url, path] : cases) EXPECT_EQ(WIN_url_to_local_path(url), path) << url;
}

}  // namespace
