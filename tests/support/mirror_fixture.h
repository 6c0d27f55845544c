#pragma once
// Several loopback mirror servers at once, each an http_fixture with a fault of its own, all
// serving the files of one release folder on disk under the same URL path. A refusing mirror's
// host is a port where connections are refused.
//
//   mirror_fixture m(release_dir, {{}, {.refuse = true}, {.fault = http_fault::truncate, .fault_bytes = 10}});
//   for (size_t i = 0; i < m.size(); ++i) readers.push_back(new ins_url_reader(&in, &out, m.base_url(i)));
//   m.server(0).serve(m.route("x/y.zip"), other);   // one file differently on one mirror
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/installer/sim_info.h"
#include "support/http_fixture.h"
#include "support/scratch_dir.h"

struct mirror_mode {
	http_fault fault = http_fault::none;  // for every file of this mirror
	size_t fault_bytes = 0;
	int faulty_requests = -1;             // per file; -1 always
	bool refuse = false;                  // nobody listens
};

class mirror_fixture {
public:
	// release_dir: the folder whose files are served (recursively); url_path starts and ends with "/".
	mirror_fixture(const std::string& release_dir, const std::vector<mirror_mode>& modes,
	               const std::string& url_path = "/mirror/")
	    : path_(url_path), modes_(modes)
	{
		namespace fs = std::filesystem;
		const fs::path root(release_dir);
		std::error_code ec;
		for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
		     it.increment(ec))
			if (it->is_regular_file())
				files_.push_back(fs::relative(it->path(), root).generic_string());
		EXPECT_FALSE(ec) << "cannot list " << release_dir << ": " << ec.message();
		for (const mirror_mode& m : modes_) {
			servers_.push_back(std::make_unique<http_fixture>());
			for (const std::string& rel : files_) {
				http_route r;
				r.body = scratch_dir::read_file((root / rel).string());
				r.fault = m.fault;
				r.fault_bytes = m.fault_bytes;
				r.faulty_requests = m.faulty_requests;
				servers_.back()->serve(route(rel), std::move(r));
			}
		}
	}

	size_t size() const { return servers_.size(); }
	http_fixture& server(size_t i) { return *servers_.at(i); }
	const std::vector<std::string>& files() const { return files_; }  // relative to the release folder

	std::string host(size_t i) const
	{
		return modes_.at(i).refuse ? servers_.at(i)->refused_host() : servers_.at(i)->host();
	}
	const std::string& path() const { return path_; }
	std::string base_url(size_t i) const { return "http://" + host(i) + path_; }
	// The URL path under which the server looks for rel (decoded, as requests arrive).
	std::string route(const std::string& rel) const { return path_ + rel; }

	size_t request_count(size_t i, const std::string& rel) const { return servers_.at(i)->request_count(route(rel)); }
	size_t total_requests(size_t i) const { return servers_.at(i)->total_request_count(); }

	// One SERVER entry per mirror, in order, named "Mirror <i>".
	std::vector<UTL_server_info> server_infos() const
	{
		std::vector<UTL_server_info> out;
		for (size_t i = 0; i < size(); ++i)
			out.push_back({host(i), path_, "Mirror " + std::to_string(i)});
		return out;
	}

	// Lets every stalled response end.
	void release_all()
	{
		for (auto& s : servers_) s->release();
	}

private:
	std::string path_;
	std::vector<mirror_mode> modes_;
	std::vector<std::string> files_;
	std::vector<std::unique_ptr<http_fixture>> servers_;
};
