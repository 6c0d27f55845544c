// The DVD set: finding the disc, its description file, and its zipped manifest.
#include "core/installer/dvd_directory_reader.h"
#include "engine/manifest_fixture.h"
#include "support/zip_maker.h"

namespace {

std::string g_disc_root;
std::vector<std::string> g_calls;
std::string g_temp;

class manifest_dvd : public reader_test {
protected:
	void SetUp() override
	{
		g_calls.clear();
		dir.mkdirs("disc/");
		dir.mkdirs("temp/");
		g_disc_root = dir / "disc/";
		g_temp = dir / "temp/";
		dvd_locate_fn = [](const std::string& key) {
			g_calls.push_back("locate:" + key);
			return g_disc_root;
		};
		dvd_temp_path_fn = [] { return g_temp; };
		dvd_limit_lang_fn = [](const std::string& file) { g_calls.push_back("lang:" + file); };
	}
	void TearDown() override
	{
		dvd_locate_fn = saved_locate_;
		dvd_temp_path_fn = saved_temp_;
		dvd_limit_lang_fn = saved_lang_;
	}

	void disc_manifest(const std::string& install_name, const std::string& manifest)
	{
		dir.mkdirs("disc/" + install_name);
		ASSERT_TRUE(write_zip_file(dir / ("disc/" + install_name + "/directory.txt.zip"),
		                           {{"directory.txt", manifest}}));
	}

	sim_info_struct info;

private:
	dvd_locate_fn_t saved_locate_ = dvd_locate_fn;
	dvd_temp_path_fn_t saved_temp_ = dvd_temp_path_fn;
	dvd_limit_lang_fn_t saved_lang_ = dvd_limit_lang_fn;
};

const std::string dvd_11 = "I\n1100 version\nDVD\n";

TEST_F(manifest_dvd, reads_the_description_and_the_manifest)
{
	dir.write("disc/dvd_version.txt", dvd_11 + "Skyvane 11 DVD Set\n\nVERSION Skyvane 11.50 DVD\n  Disc 1 of 8 \n");
	disc_manifest("Skyvane 11.50 DVD", k_manifest_header +
	                                       "FILE 0 0 0 0 0 0 1 1 d41d8cd98f00b204e9800998ecf8427e a.txt\n"
	                                       "DISK 4\n"
	                                       "FILE 0 0 0 0 0 0 1 1 d41d8cd98f00b204e9800998ecf8427e b.txt\n");
	ASSERT_EQ(UTL_read_dvd_directory(info), 0);
	EXPECT_EQ(info.dvd_root, g_disc_root);
	EXPECT_EQ(info.install_name, "Skyvane 11.50 DVD");
	EXPECT_EQ(info.dvd_info_lines, (std::vector<std::string>{"Skyvane 11 DVD Set", "Disc 1 of 8 "}));
	EXPECT_EQ(info.source, ins_src_dvd);
	EXPECT_EQ(info.version, 1100);
	ASSERT_EQ(info.files.size(), 2u);
	EXPECT_EQ(info.files[0].cur().disk, 0);
	EXPECT_EQ(info.files[1].cur().disk, 4);
	EXPECT_TRUE(dir.exists("temp/directory.txt"));
	EXPECT_EQ(g_calls, (std::vector<std::string>{"locate:dvd_version.txt", "lang:" + g_disc_root + "dvd_version.txt"}));
}

TEST_F(manifest_dvd, results_before_the_manifest)
{
	const struct {
		const char* name;
		const char* description;  // nullptr: no file on the disc
		std::string known_root;   // set before the call; "" asks the volume search
		std::string disc_found;   // what the volume search answers
		std::string install_name;
		int result;
		std::vector<std::string> info_lines;
	} cases[] = {
		{"no_disc", nullptr, "", "", "", 6, {}},
		{"name_already_known", "I\n1100\nDVD\nVERSION other\n", "", "DISC", "Known", 1, {}},
		{"no_description", nullptr, "", "DISC", "", 8, {}},
		{"wrong_keyword", "I\n1100\nSERVERS\nVERSION v\n", "", "DISC", "", 8, {}},
		{"older_disc", "I\n1000\nDVD\nVERSION v\n", "", "DISC", "", 7, {}},
		{"no_version_line", "I\n1100\nDVD\nVERSIONS v\nNotes\n", "", "DISC", "", 1, {"VERSIONS v", "Notes"}},
		{"root_known_no_search", "I\n1000\nDVD\n", "DISC", "", "", 7, {}},
	};
	for (const auto& c : cases) {
		std::filesystem::remove(dir / "disc/dvd_version.txt");
		if (c.description)
			dir.write("disc/dvd_version.txt", c.description);
		static std::string found;
		found = c.disc_found == "DISC" ? g_disc_root : c.disc_found;
		dvd_locate_fn = [](const std::string&) { return found; };
		info.clear();
		info.dvd_root = c.known_root == "DISC" ? g_disc_root : c.known_root;
		info.install_name = c.install_name;
		EXPECT_EQ(UTL_read_dvd_directory(info), c.result) << c.name;
		EXPECT_EQ(info.dvd_root, c.disc_found.empty() && c.known_root.empty() ? "" : g_disc_root) << c.name;
		EXPECT_EQ(info.install_name, c.install_name) << c.name;
		EXPECT_EQ(info.dvd_info_lines, c.info_lines) << c.name;
		EXPECT_TRUE(info.files.empty()) << c.name;
	}
}

TEST_F(manifest_dvd, a_manifest_that_cannot_be_extracted_is_fatal)
{
	GTEST_FLAG_SET(death_test_style, "threadsafe");
	dir.write("disc/dvd_version.txt", dvd_11 + "VERSION R1\n");
	// The child runs the test afresh, in a scratch folder of its own.
	EXPECT_EXIT(UTL_read_dvd_directory(info), ::testing::ExitedWithCode(0),
	            "Error during DVD scan: The installer cannot extract a file\\. Please report this to Skyvane techincal "
	            "support at support@skyvane\\.example, and include the information below:\nError: .+\\.\n"
	            "Compressed File: /[^\n]+/disc/R1/directory\\.txt\\.zip\\.\n"
	            "Destination Path: /[^\n]+/temp/\\.\n");
}

}  // namespace
