// Deleting the files the plan removes and the folders they leave empty; links are removed as links.
#include "plan_fixture.h"

#include <cerrno>

#include "core/files/paths.h"
#include "support/log_capture.h"

namespace {

class plan_delete : public plan_test {
protected:
	// A manifest file with a local copy, marked for deletion.
	file_version_struct& doomed(const std::string& rel)
	{
		file_version_struct& v = add(rel, {"v1", "GONE"}, "v1");
		v.local_ok = 1;
		v.want_delete = 1;
		return v;
	}

	log_capture log;
};

TEST_F(plan_delete, emptied_folders_go_and_others_stay)
{
	dir.mkdirs("a/b");
	dir.write("a/b/c.txt", "x");
	dir.write("a/keep.txt", "x");
	dir.mkdirs("e/f");
	dir.write("e/f/g.txt", "x");
	dir.mkdirs("h");
	dir.write("h/i.txt", "x");
	dir.write("h/.hidden", "x");
	dir.mkdirs("m");  // its file is already gone
	dir.write("top.txt", "x");
	dir.mkdirs("x");
	dir.write("x/y.txt", "x");
	for (const char* rel : {"a/b/c.txt", "e/f/g.txt", "h/i.txt", "m/n.txt", "top.txt"})
		doomed(rel);
	add("x/y.txt", {"v2"}, "v2");

	delete_files();
	for (const char* gone : {"a/b", "e", "h/i.txt", "m", "top.txt"})
		EXPECT_FALSE(dir.exists(gone)) << gone;
	for (const char* kept : {"a/keep.txt", "h/.hidden", "x/y.txt", ""})
		EXPECT_TRUE(dir.exists(kept)) << kept;
	for (const file_history_struct& f : sim_info.files) {
		if (!f.cur().want_delete)
			continue;
		EXPECT_EQ(f.cur().sig_have, "NONE") << f.cur().path;
		EXPECT_EQ(f.cur().local_ok, 0) << f.cur().path;
	}
	const std::string text = log.text();
	EXPECT_NE(text.find("Deleting file " + (dir / "a/b/c.txt") + ": \n"), std::string::npos) << text;
	EXPECT_NE(text.find("Deleting file " + (dir / "e/f/") + ": \n"), std::string::npos) << text;
	EXPECT_LT(text.find("Deleting file " + (dir / "e/f/")), text.find("Deleting file " + (dir / "e/") + ":"))
	    << "a sub-folder goes before its parent";
	EXPECT_NE(text.find("Deleting file " + (dir / "h/") + ": " + error_str(err_from_errno(ENOTEMPTY))),
	          std::string::npos)
	    << "a folder holding only hidden entries is not really empty";
}

TEST_F(plan_delete, a_copy_that_could_not_be_deleted_is_still_known)
{
	dir.mkdirs("d.txt/inside");  // a folder where the manifest has a file
	file_version_struct& v = doomed("d.txt");
	delete_files();
	EXPECT_TRUE(dir.exists("d.txt/inside"));
	EXPECT_EQ(v.sig_have, "v1");
	EXPECT_EQ(v.local_ok, 1);
	EXPECT_NE(log.text().find("Deleting file " + (dir / "d.txt") + ": " + error_str(err_from_errno(EISDIR))),
	          std::string::npos);
}

TEST_F(plan_delete, links_are_removed_as_links)
{
	scratch_dir elsewhere;
	elsewhere.write("doc.txt", "theirs");
	elsewhere.write("x.txt", "theirs");
	dir.mkdirs("Resources/real");
	dir.write("Resources/real/lib.so", "x");
	dir.link("real", "Resources/plugins");  // a link to a folder inside the installation
	dir.link(elsewhere / "doc.txt", "doc.txt");
	dir.link(elsewhere.path(), "Linked");
	doomed("Resources/plugins");
	doomed("doc.txt");
	file_version_struct& through = doomed("Linked/x.txt");

	delete_files();
	EXPECT_FALSE(dir.exists("Resources/plugins"));
	EXPECT_EQ(dir.read("Resources/real/lib.so"), "x") << "the link's target stays";
	EXPECT_FALSE(dir.exists("doc.txt"));
	EXPECT_EQ(elsewhere.read("doc.txt"), "theirs");
	EXPECT_EQ(elsewhere.read("x.txt"), "theirs") << "nothing is deleted inside a linked folder";
	EXPECT_TRUE(dir.is_link("Linked"));
	EXPECT_EQ(through.sig_have, "v1");
}

TEST_F(plan_delete, installation_folder_must_be_a_full_folder_path)
{
	const std::string saved_base = files_get_app_base_folder();
	files_set_app_base_folder(dir.path());
	dir.write("x.txt", "beside the executable");
	doomed("x.txt");
	for (const char* dest : {"", "sub/"}) {
		dest_dir_path = dest;
		delete_files();
	}
	files_set_app_base_folder(saved_base);
	EXPECT_TRUE(dir.exists("x.txt"));
}

}  // namespace
