// The disk writer on single records: modes, dates, links, the install model, errors carried
// forward, and refusing to write through symbolic links.
#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <ctime>
#include <memory>
#include <unistd.h>

#include "app/Installer-f/engine/ins_hd_writer.h"
#include "decomp_fixture.h"

namespace {

using result_ptr = std::unique_ptr<ins_file_result>;
using date = std::array<int, 6>;  // sec, min, hour, day, month 0-11, full year

const date some_date = {10, 20, 3, 14, 6, 2018};
constexpr uint16_t link_mode = S_IFLNK | 0777;

time_t local_time(const date& d)
{
	struct tm t = {};
	t.tm_sec = d[0], t.tm_min = d[1], t.tm_hour = d[2], t.tm_mday = d[3], t.tm_mon = d[4], t.tm_year = d[5] - 1900;
	t.tm_isdst = -1;
	return mktime(&t);
}

class writer_files : public decomp_fixture {
protected:
	static one_decoded_file entry(int index, const std::string& content, uint16_t mode, const date& d = some_date)
	{
		one_decoded_file f;
		f.index = index;
		f.data = bytes(content);
		f.mode = mode;
		f.tm_sec = d[0], f.tm_min = d[1], f.tm_hour = d[2], f.tm_mday = d[3], f.tm_mon = d[4], f.tm_year = d[5];
		return f;
	}
	static result_ptr write(std::vector<one_decoded_file> files)
	{
		auto* in = new ins_decoded_file;
		for (const auto& f : files) in->slots.push_back(f.index);
		in->files = std::move(files);
		return result_ptr(write_decoded_files(in));
	}
	// Writes one entry and returns its result error code.
	err_code_t write_one(one_decoded_file f)
	{
		result_ptr r = write({std::move(f)});
		EXPECT_EQ(r->results.size(), 1u);
		return r->results.empty() ? 0 : r->results[0].err.code;
	}
	std::string link_text(const std::string& rel)
	{
		char buf[512];
		ssize_t n = readlink((dest / rel).c_str(), buf, sizeof buf);
		return n < 0 ? std::string() : std::string(buf, static_cast<size_t>(n));
	}

	scratch_dir outside;  // stands for anywhere beyond the installation folder
};

TEST_F(writer_files, regular_file_gets_its_mode_date_and_model_update)
{
	const mode_t fresh = 0660 & ~current_umask();
	struct row { uint16_t mode; int existing; mode_t want; };
	const row rows[] = {
	    {0644, -1, 0644},
	    {S_IFREG | 0755, -1, 0755},
	    {S_IFREG | 04755, -1, 0755},  // no set-id bits from a download
	    {0, -1, fresh},
	    {0, 0750, 0750},              // no mode given: the replaced file's mode stays
	    {0644, 0600, 0644},
	};
	for (const row& r : rows) {
		SCOPED_TRACE(testing::Message() << std::oct << r.mode << " over " << r.existing);
		sim_info.clear();
		dest.mkdirs("Resources");
		unlink((dest / "Resources/f.txt").c_str());
		if (r.existing >= 0) {
			dest.write("Resources/f.txt", "old");
			chmod((dest / "Resources/f.txt").c_str(), static_cast<mode_t>(r.existing));
		}
		int i = add("Resources/f.txt", "new content");
		EXPECT_EQ(write_one(entry(i, "new content", r.mode)), 0u);

		EXPECT_EQ(dest.read("Resources/f.txt"), "new content");
		EXPECT_EQ(perms(dest / "Resources/f.txt"), r.want);
		EXPECT_EQ(mtime(dest / "Resources/f.txt"), local_time(some_date));
		EXPECT_EQ(v(i).sig_have, v(i).sig_want);
		EXPECT_EQ(v(i).local_ok, 1);
	}
}

TEST_F(writer_files, link_entry_replaces_what_is_at_the_target)
{
	outside.write("victim", "outside data");
	enum { nothing, regular, old_link, link_outside } kinds[] = {nothing, regular, old_link, link_outside};
	for (auto kind : kinds) {
		SCOPED_TRACE(kind);
		sim_info.clear();
		dest.mkdirs("Resources");
		unlink((dest / "Resources/current").c_str());
		if (kind == regular) dest.write("Resources/current", "a regular file");
		if (kind == old_link) dest.link("elsewhere", "Resources/current");
		if (kind == link_outside) dest.link(outside / "victim", "Resources/current");
		int i = add("Resources/current", "../x");
		EXPECT_EQ(write_one(entry(i, "../x", link_mode)), 0u);

		EXPECT_TRUE(dest.is_link("Resources/current"));
		EXPECT_EQ(link_text("Resources/current"), "../x");
		EXPECT_EQ(mtime(dest / "Resources/current"), local_time(some_date));
		EXPECT_EQ(v(i).local_ok, 1);
		EXPECT_EQ(outside.read("victim"), "outside data");
	}
}

TEST_F(writer_files, link_that_leads_out_of_the_folder_is_refused)
{
	struct row { const char* path; std::string target; };
	const row rows[] = {
	    {"Resources/l", "../../x"}, {"l", "../x"}, {"Resources/l", "/etc/passwd"},
	    {"Resources/l", ""},        {"Resources/l", std::string("a\0b", 3)},
	};
	for (const row& r : rows) {
		SCOPED_TRACE(r.path + (" -> " + r.target));
		sim_info.clear();
		dest.mkdirs("Resources");
		dest.write(r.path, "kept");
		int i = add(r.path, r.target);
		result_ptr res = write({entry(i, r.target, link_mode)});

		ASSERT_EQ(res->results.size(), 1u);
		EXPECT_EQ(res->results[0].err.code, err_from_errno(EPERM));
		EXPECT_EQ(res->results[0].err.what, dest / r.path);
		EXPECT_EQ(res->results[0].err.stage, ins_stage_disk);
		EXPECT_EQ(dest.read(r.path), "kept");
		EXPECT_EQ(v(i).local_ok, 0);
	}
}

TEST_F(writer_files, entries_with_errors_are_reported_and_not_written)
{
	dest.write("a.txt", "old a");
	dest.write("b.txt", "old b");
	int a = add("a.txt", "new a");
	int b = add("b.txt", "new b");
	int c = add("c.txt", "new c");
	auto* in = new ins_decoded_file;
	in->slots = {a, b, c};
	INS_ERR_SET(in->err, 0x50004E21u, "http://127.0.0.1/x.zip", ins_stage_decompress);
	in->files.push_back(entry(a, "", 0));
	INS_ERR_SET(in->files.back().err, 0x50004E21u, "http://127.0.0.1/x.zip", ins_stage_decompress);
	in->files.push_back(entry(c, "new c", 0644));
	in->files.push_back(entry(b, "", 0));
	INS_ERR_SET(in->files.back().err, corrupt_contents, "b.txt-0123", ins_stage_decompress);
	result_ptr r(write_decoded_files(in));

	EXPECT_EQ(r->err.code, 0x50004E21u);
	EXPECT_EQ(r->slots, (std::vector<int>{a, b, c}));
	ASSERT_EQ(r->results.size(), 3u);
	EXPECT_EQ(r->results[0].index, a);
	EXPECT_EQ(r->results[0].err.code, 0x50004E21u);
	EXPECT_EQ(r->results[1].index, c);
	EXPECT_EQ(r->results[1].err.code, 0u) << "a verified entry is written even when the archive failed later";
	EXPECT_EQ(r->results[2].index, b);
	EXPECT_EQ(r->results[2].err.what, "b.txt-0123");
	EXPECT_EQ(dest.read("a.txt"), "old a");
	EXPECT_EQ(dest.read("b.txt"), "old b");
	EXPECT_EQ(dest.read("c.txt"), "new c");
	EXPECT_EQ((std::vector<int>{v(a).local_ok, v(b).local_ok, v(c).local_ok}), (std::vector<int>{0, 0, 1}));
}

TEST_F(writer_files, folder_that_is_a_link_refuses_the_write)
{
	outside.mkdirs("sub");
	dest.mkdirs("real/inner");
	dest.link(outside / "sub", "sub");
	dest.link(outside / "sub", "real/linked");
	dest.link("inner", "real/same_tree");  // even a link that stays inside is not followed
	for (const char* path : {"sub/a.txt", "real/linked/a.txt", "real/same_tree/a.txt"}) {
		SCOPED_TRACE(path);
		sim_info.clear();
		int i = add(path, "payload");
		for (uint16_t mode : {uint16_t(0644), link_mode}) {
			result_ptr r = write({entry(i, mode == link_mode ? "b.txt" : "payload", mode)});
			ASSERT_EQ(r->results.size(), 1u);
			EXPECT_EQ(r->results[0].err.code, err_from_errno(ELOOP));
			EXPECT_EQ(r->results[0].err.what, dest / path);
		}
		EXPECT_EQ(v(i).local_ok, 0);
	}
	EXPECT_TRUE(outside.names("sub").empty());
	EXPECT_TRUE(dest.names("real/inner").empty());
	EXPECT_NE(log.text().find("its folder sub is a symbolic link"), std::string::npos);
}

TEST_F(writer_files, link_at_the_target_is_replaced_not_written_through)
{
	outside.write("victim", "outside data");
	dest.link(outside / "victim", "a.txt");
	int i = add("a.txt", "payload");
	EXPECT_EQ(write_one(entry(i, "payload", 0)), 0u);

	EXPECT_FALSE(dest.is_link("a.txt"));
	EXPECT_EQ(dest.read("a.txt"), "payload");
	EXPECT_EQ(outside.read("victim"), "outside data");
}

TEST_F(writer_files, installation_folder_may_itself_be_a_link)
{
	outside.mkdirs("real");
	outside.link(outside / "real", "chosen");
	dest_dir_path = outside / "chosen/";
	int i = add("a.txt", "payload");
	EXPECT_EQ(write_one(entry(i, "payload", 0644)), 0u);
	EXPECT_EQ(outside.read("real/a.txt"), "payload");
}

TEST_F(writer_files, unwritable_targets_give_stage_3_errors)
{
	dest.mkdirs("folder_here/inside");
	struct row { const char* path; int err; };
	for (row r : {row{"missing/a.txt", ENOENT}, row{"folder_here", EISDIR}}) {
		SCOPED_TRACE(r.path);
		sim_info.clear();
		int i = add(r.path, "payload");
		result_ptr res = write({entry(i, "payload", 0644)});
		ASSERT_EQ(res->results.size(), 1u);
		EXPECT_EQ(res->results[0].err.code, err_from_errno(r.err));
		EXPECT_EQ(res->results[0].err.stage, ins_stage_disk);
		EXPECT_EQ(v(i).local_ok, 0);
	}
	EXPECT_TRUE(dest.exists("folder_here/inside"));
	EXPECT_FALSE(dest.exists("missing"));
	for (const std::string& name : dest.names()) EXPECT_FALSE(ins_is_temp_name(name)) << name;
}

}  // namespace
