#include "core/ui/UTL_cmdline.h"

#include <cstdio>

int main(int argc, char** argv)
{
	// Immediate options (--version, --help, --cmnds, --fps_test) print and exit here,
	// before any window or log file exists.
	cmdline.init_unix(argc, argv);
	std::fputs("Skyvane Installer: the installer flows are not built yet.\n", stderr);
	return 2;
}
