// The new installation's location: the statuses 1 to 6 on real folders (read-only through a
// read-only bind mount in a private mount namespace, permission through an unprivileged child
// when run as root), the step's messages and when Continue is refused, and the licence step.
#include "app/Installer-f/flows/steps/any_pick_install.h"
#include "app/Installer-f/flows/steps/disk_space.h"
#include "app/Installer-f/flows/steps/see_eula.h"
#include "app/steps_fixture.h"
#include "core/files/file_ops.h"
#include "support/log_capture.h"

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs job in a forked child and returns its exit status; -1 when the child did not exit.
int in_child(const std::function<int()>& job)
{
	const pid_t pid = fork();
	if (pid == 0)
		_exit(job());
	int st = 0;
	if (pid < 0 || waitpid(pid, &st, 0) != pid || !WIFEXITED(st))
		return -1;
	return WEXITSTATUS(st);
}

constexpr int k_setup_failed = 100;

struct location : ::testing::Test {
	void SetUp() override
	{
		saved_stg = stg;
		saved_sim = sim_info;
		saved_dest = dest_dir_path;
		sim_info.clear();
		sim_info.install_name = "Skyvane 11 Final";
		stg.target_os = 3;
	}
	void TearDown() override
	{
		disk_space_reader = get_free_space;
		stg = saved_stg;
		sim_info = saved_sim;
		dest_dir_path = saved_dest;
	}
	scratch_dir dir;
	stg_record saved_stg;
	sim_info_struct saved_sim;
	std::string saved_dest;
};

TEST_F(location, statuses_on_real_folders)
{
	dir.mkdirs("parent/taken");
	struct loc_case {
		std::string name, parent;
		int want;
	};
	const loc_case cases[] = {
		{"Sky/vane", dir.path(), loc_bad_name},
		{"Sky:vane", dir.path(), loc_bad_name},
		{"Sky\\vane", dir.path(), loc_bad_name},
		{"taken", dir / "parent/", loc_exists},
		{"Skyvane", "/Applications/", loc_known_bad},
		{"Skyvane", "/", loc_known_bad},
		{"Skyvane", "/usr/local/", loc_known_bad},
		{"Skyvane", "/lib64/", loc_known_bad},
		{"Skyvane", "/etc/", loc_known_bad},
		{"Skyvane", dir / "missing/", loc_other_failure},
		{"Skyvane 11", dir / "parent/", loc_usable},
	};
	for (const loc_case& c : cases)
		EXPECT_EQ(any_pick_install::analyze_install_location(c.name, c.parent + c.name + "/"), c.want)
			<< c.parent << c.name;
	EXPECT_FALSE(dir.exists("parent/Skyvane 11")) << "the test folder must be removed again";
	EXPECT_EQ(any_pick_install::analyze_install_location("tmp", "/tmp/"), loc_exists);
}

TEST_F(location, other_failures_are_logged)
{
	log_capture log;
	const std::string path = dir / "missing/Skyvane/";
	EXPECT_EQ(any_pick_install::analyze_install_location("Skyvane", path), loc_other_failure);
	EXPECT_NE(log.text().find("Attempting to validate the install path " + path + " returned error "),
	          std::string::npos);
}

TEST_F(location, existing_folder_wins_over_permissions)
{
	dir.mkdirs("locked/taken");
	ASSERT_EQ(chmod((dir / "locked").c_str(), 0555), 0);
	EXPECT_EQ(any_pick_install::analyze_install_location("taken", dir / "locked/taken/"), loc_exists);
	chmod((dir / "locked").c_str(), 0755);
}

TEST_F(location, permission_denied)
{
	dir.mkdirs("locked");
	ASSERT_EQ(chmod((dir / "locked").c_str(), 0555), 0);
	ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);  // the unprivileged child must reach it
	const std::string path = dir / "locked/Skyvane/";
	const int st = in_child([&] {
		if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
			return k_setup_failed;
		return any_pick_install::analyze_install_location("Skyvane", path);
	});
	chmod((dir / "locked").c_str(), 0755);
	ASSERT_NE(st, k_setup_failed) << "could not drop privileges";
	EXPECT_EQ(st, loc_no_permission);
}

TEST_F(location, read_only_volume)
{
	dir.mkdirs("ro");
	const std::string ro = dir / "ro";
	int st;
	if (geteuid() == 0) {
		st = in_child([&] {
			if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
			    mount(ro.c_str(), ro.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
			    mount(nullptr, ro.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
				return k_setup_failed;
			return any_pick_install::analyze_install_location("Skyvane", ro + "/Skyvane/");
		});
		if (st == k_setup_failed)
			GTEST_SKIP() << "no private mount namespace here";
	} else {
		GTEST_SKIP() << "a read-only volume needs a private mount namespace (root)";
	}
	EXPECT_EQ(st, loc_read_only);
}

struct pick_step : location {
	void SetUp() override
	{
		location::SetUp();
		step = w.finish(new any_pick_install(&w, 0, 1, msgs));
		step->desktop_folder = dir / "desk/";
		dir.mkdirs("desk");
		dir.mkdirs("other/Skyvane 11");
		disk_space_reader = [](const std::string&, uint64_t* total, uint64_t* free_bytes) -> err_code_t {
			*total = 1000000000000ull;
			*free_bytes = s_free;
			return s_fail;
		};
		s_free = 500000000000ull;
		s_fail = 0;
	}
	wizard_screen frame()
	{
		wizard_screen s;
		EXPECT_EQ(step->go(s), step);
		return s;
	}
	const any_pick_install_msgs msgs{"Skyvane 11", "Please pick a name for your Skyvane 11 installation.",
	                                 "Pick a folder.", "Enough.", "Not enough."};
	step_wizard w;
	any_pick_install* step = nullptr;
	static inline uint64_t s_free = 0;
	static inline err_code_t s_fail = 0;
};

TEST_F(pick_step, messages_by_status)
{
	struct msg_case {
		std::string parent, name;
		std::string message;
		bool can_go_on;
	};
	const std::string desk = dir / "desk/", other = dir / "other/";
	const msg_case cases[] = {
		{desk, "Skyvane 11",
		 "The installer will create the folder “Skyvane 11” inside the folder “" + desk +
		     ".”\n\n(The folder Skyvane 11 will appear on your desktop.)",
		 true},
		{other, "Fresh", "The installer will create the folder “Fresh” inside the folder “" + other + ".”", true},
		{other, "Skyvane 11",
		 "The folder “Skyvane 11” already exists inside the folder “" + other +
		     ".” Please change the install name or destination.",
		 false},
		{other, "a:b",
		 "Please pick a name for your Skyvane folder that does not contain slashes or the ‘:’ character.", false},
		{"/Applications/", "Sky",
		 "Skyvane cannot be installed to the location “/Applications/,” because this location is known to cause "
		 "problems with Skyvane.\n\nPlease pick a new installation location.",
		 false},
		{dir / "missing/", "Sky",
		 "Skyvane cannot be installed to the location “" + dir / "missing/" + ".” Please pick a new installation location.",
		 false},
		{other, "", "Please pick a name for your Skyvane 11 installation.", false},
	};
	for (const msg_case& c : cases) {
		step->parent_folder = c.parent;
		step->install_name = c.name;
		ASSERT_EQ(step->open(), step);
		const wizard_screen s = frame();
		EXPECT_EQ(s.title, "Pick Install Destination for Skyvane 11 Final.");
		EXPECT_EQ(s.message, c.message) << c.parent << c.name;
		EXPECT_EQ(s.next_step, c.can_go_on ? static_cast<wizard_func*>(w.after) : nullptr) << c.parent << c.name;
		EXPECT_EQ(s.back_step, w.start);
		EXPECT_EQ(dest_dir_path, c.name.empty() ? c.parent : c.parent + c.name + "/");
	}
}

TEST_F(pick_step, validates_again_only_when_asked)
{
	step->parent_folder = dir / "other/";
	step->install_name = "Later";
	ASSERT_EQ(step->open(), step);
	EXPECT_EQ(frame().next_step, w.after);
	dir.mkdirs("other/Later");  // appears after the check: the status stands until a re-check
	EXPECT_EQ(frame().next_step, w.after);
	step->ReceiveMessage(1, 0);
	EXPECT_EQ(frame().next_step, nullptr);
}

TEST_F(pick_step, free_space_gates_only_when_required)
{
	step->parent_folder = dir / "other/";
	step->install_name = "Fresh";
	sim_info.files.resize(1);
	file_version_struct& v = sim_info.files[0].versions.emplace_back();
	v.path = "big.dat";
	v.sig_want = "0123456789abcdef0123456789abcdef";
	v.disk_kb = 2000;
	v.download_kb = 1000;
	struct space_case {
		int require;
		uint64_t free_bytes;
		err_code_t fail;
		bool can_go_on;
	};
	const space_case cases[] = {
		{1, 2000001, 0, true}, {1, 2000000, 0, false}, {0, 2000000, 0, true}, {1, 0, 0x40000005u, true},
	};
	for (const space_case& c : cases) {
		step->require_space = c.require;
		s_free = c.free_bytes;
		s_fail = c.fail;
		ASSERT_EQ(step->open(), step);
		EXPECT_EQ(frame().next_step, c.can_go_on ? static_cast<wizard_func*>(w.after) : nullptr)
			<< c.require << " " << c.free_bytes;
		EXPECT_DOUBLE_EQ(stg.install_total_kb, 2000);
	}
}

TEST(licence, consent_at_construction_and_agreement_gate)
{
	const stg_record saved = stg;
	stg.send_analytics = 0;
	step_wizard w;
	auto* eula = w.finish(new see_eula(&w));
	EXPECT_EQ(stg.send_analytics, 1);
	EXPECT_EQ(eula->name, "EULA");
	wizard_screen s;
	EXPECT_EQ(eula->go(s), eula);
	EXPECT_EQ(s.title, "End User License Agreement");
	EXPECT_EQ(s.next_step, nullptr);
	eula->agreed = 1;
	s.reset();
	eula->go(s);
	EXPECT_EQ(s.next_step, w.after);
	EXPECT_EQ(s.back_step, w.start);
	stg = saved;
}

}  // namespace
