// Readers against a real static server (the nginx of scripts/nginx_mirrors.sh): whole files,
// names with blanks, a missing file, and one kept-alive connection per reader.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "support/scratch_dir.h"
#include "url_reader_rig.h"

namespace {

const std::string k_script = std::string(SKY_SOURCE_DIR) + "/scripts/nginx_mirrors.sh";

bool have_nginx() { return system("command -v nginx >/dev/null 2>&1 || test -x /usr/sbin/nginx") == 0; }

// The script's output, and its exit status.
int run_script(const std::string& args, std::string& output)
{
	output.clear();
	FILE* p = popen((k_script + " " + args + " 2>&1").c_str(), "r");
	if (!p) return -1;
	char buf[512];
	while (fgets(buf, sizeof buf, p)) output += buf;
	return pclose(p);
}

// nginx on `count` ports serving root, stopped on destruction.
class nginx_mirrors {
public:
	nginx_mirrors(const std::string& root, int count) : run_(run_dir_.path() + "run")
	{
		std::string out;
		started_ = run_script("start '" + run_ + "' '" + root + "' --count " + std::to_string(count), out) == 0;
		EXPECT_TRUE(started_) << out;
		std::istringstream lines(out);
		for (int port; lines >> port;) ports_.push_back(port);
		EXPECT_EQ(ports_.size(), static_cast<size_t>(count)) << out;
	}
	~nginx_mirrors() { stop(); }

	void stop()
	{
		if (!started_) return;
		std::string out;
		EXPECT_EQ(run_script("stop '" + run_ + "'", out), 0) << out;
		started_ = false;
	}
	const std::vector<int>& ports() const { return ports_; }
	std::string access_log() const { return scratch_dir::read_file(run_ + "/access.log"); }
	bool pid_file_exists() const { return std::ifstream(run_ + "/nginx.pid").good(); }

private:
	scratch_dir run_dir_;
	std::string run_;
	bool started_ = false;
	std::vector<int> ports_;
};

class url_reader_nginx : public url_reader_test {
protected:
	void SetUp() override
	{
		if (!have_nginx()) GTEST_SKIP() << "nginx is not installed";
		url_reader_test::SetUp();
	}
};

}  // namespace

TEST_F(url_reader_nginx, two_readers_two_ports_one_connection_each)
{
	scratch_dir release;
	std::vector<std::string> names;
	for (int i = 0; i < 30; ++i) {
		std::string name = "sky/f" + std::to_string(i % 3) + "/part " + std::to_string(i) + ".zip";
		release.mkdirs("sky/f" + std::to_string(i % 3));
		release.write(name, pattern(3000 + 4111 * i, i));
		names.push_back(name);
	}
	nginx_mirrors web(release.path(), 2);
	ASSERT_EQ(web.ports().size(), 2u);

	UTL_atomic_fifo<ins_req_file*> in(400);
	UTL_atomic_fifo<ins_encoded_file*> out(400);
	std::vector<std::unique_ptr<ins_url_reader>> readers;
	for (int port : web.ports())
		readers.push_back(std::make_unique<ins_url_reader>(&in, &out, "http://127.0.0.1:" + std::to_string(port) + "/"));
	for (size_t i = 0; i < names.size(); ++i) in.write(new ins_req_file{{static_cast<int>(i)}, names[i]}, -1);
	in.write(new ins_req_file{{99}, "sky/missing.zip"}, -1);
	int ok = 0, missing = 0;
	for (size_t k = 0; k <= names.size(); ++k) {
		ins_encoded_file* f = nullptr;
		out.read(f, -1);
		encoded_ptr got(f);
		if (got->slots == std::vector<int>{99}) {
			++missing;
			EXPECT_EQ(got->err.code, 0x20000194u);
			EXPECT_TRUE(got->data.empty());
		} else {
			++ok;
			EXPECT_EQ(got->err.code, 0u) << error_str(got->err.code);
			EXPECT_TRUE(data_of(*got) == release.read(names.at(got->slots.at(0))));
		}
	}
	EXPECT_EQ(ok, 30);
	EXPECT_EQ(missing, 1);
	for (auto& r : readers) r->send_end_markers();
	readers.clear();
	web.stop();
	EXPECT_FALSE(web.pid_file_exists());

	// Lines: port connection connection_requests "uri" status bytes.
	std::map<int, std::set<long>> connections;
	std::istringstream log_lines(web.access_log());
	int lines = 0;
	for (std::string line; std::getline(log_lines, line); ++lines) {
		std::istringstream f(line);
		int port = 0;
		long conn = 0;
		f >> port >> conn;
		connections[port].insert(conn);
		size_t open = line.find('"'), close = line.find('"', open + 1);
		std::string uri = line.substr(open + 1, close - open - 1);
		if (uri != "/sky/missing.zip") {
			EXPECT_NE(uri.find("/part%20"), std::string::npos) << line;
		}
	}
	EXPECT_EQ(lines, 31);
	for (auto& [port, conns] : connections) EXPECT_EQ(conns.size(), 1u) << "port " << port;
}

TEST_F(url_reader_nginx, script_refuses_bad_use)
{
	scratch_dir d;
	const std::string bad[] = {"", "start", "start '" + d.path() + "run' /nonexistent/root 1234",
	                           "start '" + d.path() + "run' '" + d.path() + "' notaport", "frobnicate x"};
	for (const std::string& args : bad) {
		SCOPED_TRACE(args);
		std::string out;
		EXPECT_NE(run_script(args, out), 0) << out;
	}
	std::string out;
	EXPECT_EQ(run_script("stop '" + d.path() + "'", out), 0) << "stopping what is not running is fine: " << out;
}
