// The server list reader and its command-line overrides.
#include "core/installer/server_list_reader.h"
#include "engine/manifest_fixture.h"

namespace {

UTL_server_info srv(const std::string& host, const std::string& path, const std::string& name)
{
	return UTL_server_info{host, path, name};
}

class server_list_reader : public reader_test {
protected:
	int read(const std::string& text) { return UTL_read_server_list(file(text, "server_list_10.txt"), list); }

	UTL_server_info_list list;
};

TEST_F(server_list_reader, every_keyword)
{
	ASSERT_EQ(read(k_server_list_header +
	               "BETA  11.50r2 \n"
	               "BETA\n"  // keyword at the line end: an unknown line, the name stays
	               "FINAL 11.41\n"
	               "FULL Skyvane 11 Full\n"
	               "BETA_INSTALLER_MAC  sv_beta.dmg  size 12 MB \n"
	               "FINAL_INSTALLER_MAC\tsv_final.dmg\n"
	               "BETA_VERSION 1150 ignored words\n"
	               "FINAL_VERSION\t-1141\n"
	               "FINAL 11.42\n"  // a later line replaces the earlier value
	               "SERVERS are not a SERVER line\n"
	               "FULLER name\n"
	               "SERVER 127.0.0.1:8081\n"
	               "/mirror one/\n"
	               "\n   \t\n"  // blank lines between the entry's lines are skipped
	               "  Mirror One  \n"
	               "SERVER\tlocalhost\n/\nTwo\n"),
	          0);
	EXPECT_EQ(list.version, 1100);
	EXPECT_EQ(list.beta_name, "11.50r2 ");
	EXPECT_EQ(list.final_name, "11.42");
	EXPECT_EQ(list.full_name, "Skyvane 11 Full");
	EXPECT_EQ(list.beta_installer_word, "sv_beta.dmg");
	EXPECT_EQ(list.beta_installer_rest, "size 12 MB ");
	EXPECT_EQ(list.final_installer_word, "sv_final.dmg");
	EXPECT_EQ(list.final_installer_rest, "");
	EXPECT_EQ(list.beta_version, 1150);
	EXPECT_EQ(list.final_version, -1141);
	EXPECT_EQ(list.servers, (std::vector<UTL_server_info>{srv("127.0.0.1:8081", "/mirror one/", "Mirror One  "),
	                                                       srv("localhost", "/", "Two")}));
}

TEST_F(server_list_reader, end_of_list_and_end_of_file)
{
	const struct {
		const char* name;
		std::string body;
		std::vector<UTL_server_info> servers;
	} cases[] = {
		{"endoflist_stops", "SERVER a\n/p/\nA\nENDOFLIST\nSERVER b\n/q/\nB\nFINAL late\n", {srv("a", "/p/", "A")}},
		{"endoflist_at_eof", "SERVER a\n/p/\nA\nENDOFLIST", {srv("a", "/p/", "A")}},
		{"endoflist_glued", "ENDOFLISTS\nSERVER a\n/p/\nA\n", {srv("a", "/p/", "A")}},
		{"server_missing_name", "SERVER a\n/p/", {srv("a", "/p/", "")}},
		{"server_missing_two", "SERVER a", {srv("a", "", "")}},
		{"server_at_eof", "FINAL f\nSERVER", {srv("", "", "")}},
		{"server_line_end", "SERVER\n/p/\nA\n", {srv("", "/p/", "A")}},  // the rest of the SERVER line is the host
	};
	for (const auto& c : cases) {
		ASSERT_EQ(read(k_server_list_header + c.body), 0) << c.name;
		EXPECT_EQ(list.servers, c.servers) << c.name;
		EXPECT_EQ(list.final_name, c.body.find("FINAL f") != std::string::npos ? "f" : "") << c.name;
	}
}

TEST_F(server_list_reader, headers_and_failures_leave_an_empty_list)
{
	const struct {
		const char* name;
		std::string text;
		int result;
	} cases[] = {
		{"byte_order_mark", "\xEF\xBB\xBF" "A\n1100 Version\nSERVERS\n", 0},
		{"older_version", "I\n1000\nSERVERS\n", 5},
		{"manifest_keyword", k_manifest_header, 5},
		{"mark_only", "\xEF\xBB\xBF", 5},
		{"empty", "", 5},
	};
	for (const auto& c : cases) {
		list.version = 9;
		list.final_name = "old";
		list.servers.assign(2, srv("h", "/p/", "n"));
		ASSERT_EQ(read(c.text + "FINAL new\nSERVER h2\n/\nn2\n"), c.result) << c.name;
		EXPECT_EQ(list.version, c.result ? 0 : 1100) << c.name;
		EXPECT_EQ(list.final_name, c.result ? "" : "new") << c.name;
		EXPECT_EQ(list.servers.size(), c.result ? 0u : 1u) << c.name;
	}
	EXPECT_EQ(read("I\n1100\nSERVERS"), 0);  // the keyword may end the file
	EXPECT_EQ(list.version, 1100);
	list.servers.assign(1, srv("h", "/p/", "n"));
	EXPECT_EQ(UTL_read_server_list(dir / "none.txt", list), 3);
	EXPECT_TRUE(list.servers.empty());
}

struct override_case {
	const char* name;
	std::vector<std::string> args;
	bool servers_in_file;
	std::vector<UTL_server_info> servers;
	std::string install_name;  // final, beta and full names all equal to it when not empty
	std::string logged;
};

class server_list_overrides : public server_list_reader, public ::testing::WithParamInterface<override_case> {};

TEST_P(server_list_overrides, applied_after_a_good_read)
{
	const override_case& c = GetParam();
	cmdline_args args(c.args);
	ASSERT_EQ(read(k_server_list_header + "BETA b\nFINAL f\nFULL u\n" +
	               (c.servers_in_file ? "SERVER h1\n/p1/\nOne\nSERVER h2\n/p2/\nTwo\n" : "")),
	          0);
	EXPECT_EQ(list.servers, c.servers);
	EXPECT_EQ(list.beta_name, c.install_name.empty() ? "b" : c.install_name);
	EXPECT_EQ(list.final_name, c.install_name.empty() ? "f" : c.install_name);
	EXPECT_EQ(list.full_name, c.install_name.empty() ? "u" : c.install_name);
	if (!c.logged.empty()) {
		EXPECT_NE(log.text().find(c.logged), std::string::npos) << log.text();
	}
}

const UTL_server_info one = srv("h1", "/p1/", "One"), two = srv("h2", "/p2/", "Two");
const UTL_server_info loop = srv("127.0.0.1:8080", "/mirror/", "127.0.0.1:8080/mirror/");

INSTANTIATE_TEST_SUITE_P(
	overrides, server_list_overrides,
	::testing::Values(
		override_case{"none", {}, true, {one, two}, "", ""},
		override_case{"install_name", {"--install_name=Skyvane 11.50r1"}, true, {one, two}, "Skyvane 11.50r1", ""},
		override_case{"install_name_empty", {"--install_name"}, true, {one, two}, "", "Ignoring --install_name"},
		override_case{"server_replaces_all", {"--server=127.0.0.1:8080/mirror/"}, true, {loop}, "", ""},
		override_case{"server_deep_path", {"--server=h/a/b/c"}, true, {srv("h", "/a/b/c", "h/a/b/c")}, "", ""},
		override_case{"server_without_slash", {"--server=127.0.0.1:8080"}, true, {one, two}, "",
		              "Ignoring --server=\"127.0.0.1:8080\""},
		override_case{"server_without_host", {"--server=/mirror/"}, true, {one, two}, "", "Ignoring --server"},
		override_case{"server_empty", {"--server="}, true, {one, two}, "", "Ignoring --server"},
		override_case{"add_server", {"--add_server=127.0.0.1:8080/mirror/"}, true, {one, two, loop}, "", ""},
		override_case{"add_server_bad", {"--add_server=nowhere"}, true, {one, two}, "", "Ignoring --add_server"},
		override_case{"server_then_add", {"--add_server=h3/x/", "--server=127.0.0.1:8080/mirror/"}, true,
		              {loop, srv("h3", "/x/", "h3/x/")}, "", ""},
		override_case{"clone_first", {"--server_clone=2"}, true, {one, two, one, one}, "", ""},
		override_case{"clone_after_server", {"--server_clone=2", "--server=127.0.0.1:8080/mirror/"}, true,
		              {loop, loop, loop}, "", ""},
		override_case{"clone_added_server", {"--server_clone=1", "--add_server=127.0.0.1:8080/mirror/"}, false,
		              {loop, loop}, "", ""},
		override_case{"clone_without_servers", {"--server_clone=3"}, false, {}, "", ""},
		override_case{"clone_not_a_number", {"--server_clone=two"}, true, {one, two}, "", ""},
		override_case{"clone_negative", {"--server_clone=-4"}, true, {one, two}, "", ""},
		override_case{"clone_number_prefix", {"--server_clone=1x"}, true, {one, two, one}, "", ""}),
	[](const ::testing::TestParamInfo<override_case>& p) { return std::string(p.param.name); });

TEST_F(server_list_reader, clone_count_is_bounded)
{
	cmdline_args args({"--server_clone=2000000000"});
	ASSERT_EQ(read(k_server_list_header + "SERVER h1\n/p1/\nOne\n"), 0);
	EXPECT_EQ(list.servers.size(), 1u + server_list_max_clones);
	EXPECT_EQ(list.servers.back(), one);
	EXPECT_NE(log.text().find("cut to"), std::string::npos);
}

TEST_F(server_list_reader, no_overrides_after_a_failed_read)
{
	cmdline_args args({"--server=127.0.0.1:8080/mirror/", "--install_name=X"});
	ASSERT_EQ(read("I\n1000\nSERVERS\n"), 5);
	EXPECT_TRUE(list.servers.empty());
	EXPECT_EQ(list.final_name, "");
}

}  // namespace
