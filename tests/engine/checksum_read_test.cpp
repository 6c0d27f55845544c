// Hashing of large files whose buffers go round from one file to the next.
#include <gtest/gtest.h>

#include <thread>

#include "app/Installer-f/engine/checksum_directory.h"
#include "app/Installer-f/engine/install_dest.h"
#include "app/Installer-f/engine/install_filter.h"
#include "app/Installer-f/engine/md5_text.h"
#include "core/installer/sim_info.h"
#include "support/scratch_dir.h"

namespace {

std::string pattern(size_t size, char seed)
{
	std::string s(size, 0);
	for (size_t i = 0; i < size; ++i)
		s[i] = static_cast<char>(seed + i * 7 + (i >> 12));
	return s;
}

// Files of more than a megabyte in falling and rising sizes: their buffers come back from the
// hashing threads and are read into again, and every checksum must still be that of its file.
TEST(checksum_read, scan_of_large_files_with_reused_buffers)
{
	scratch_dir dir;
	const std::string saved_dest = dest_dir_path;
	dest_dir_path = dir.path();
	set_install_filter(1, 1, 1);
	sim_info.clear();
	const size_t sizes[] = {5 << 20, 3 << 20, 1 << 20, 4 << 20, 2 << 20, (1 << 20) + 1, 6 << 20, 1500000, 17};
	std::vector<std::string> sums;
	for (size_t i = 0; i < std::size(sizes); ++i) {
		std::string bytes = pattern(sizes[i], static_cast<char>('A' + i));
		std::string name = "big_" + std::to_string(i) + ".bin";
		dir.write(name, bytes);
		sums.push_back(md5_text(bytes));
		file_version_struct v;
		v.path = name;
		v.sig_want = sums.back();
		sim_info.files.push_back(file_history_struct{{v}});
	}
	int next = 0, result = 0;
	float progress = 0;
	while ((result = checksum_directory(next, 0, progress)) == 0)
		std::this_thread::yield();
	EXPECT_EQ(result, 1);
	for (size_t i = 0; i < std::size(sizes); ++i) {
		EXPECT_EQ(sim_info.files[i].cur().sig_have, sums[i]) << i;
		EXPECT_EQ(sim_info.files[i].cur().local_ok, 1) << i;
	}
	sim_info.clear();
	dest_dir_path = saved_dest;
}

}  // namespace
