#include "core/ui/UTL_cmdline.h"

#include "core/ui/UTL_commands.h"

#include <cstdio>
#include <cstdlib>

UTL_cmdline cmdline;

namespace {

const char* const k_version_text = "Skyvane Installer 4.01r1";

const char* const k_fps_test_text =
	"FRAMERATE TEST\n"
	"\n"
	"A frame-rate test plays back a recorded replay and measures the frame rate while it runs.\n"
	"It needs a replay file: give one with --load_smo=<replay file> together with --fps_test=n.\n";

const char* const k_usage_text =
	"Usage: Skyvane [options...]\n"
	"\n"
	"Help:\n"
	"  -h, --help                  show this text and exit\n"
	"  --version                   show the version and exit\n"
	"  --cmnds=all|<path>          list the commands (all, or those under a path) and exit\n"
	"\n"
	"Sound and language:\n"
	"  --no_sound                  start without sound\n"
	"  --missing_strings           write the texts that have no translation to a file\n"
	"  --lang=<lang code>          use this language when none has been chosen (en, fr, de, ru, es)\n"
	"  --allow_rosetta             allow running under binary translation\n"
	"\n"
	"Auto-configuration:\n"
	"  --pref:<key>=<value>        override a preference of the preference file\n"
	"  --dref:<ref>=<value>        set a data reference at start\n"
	"\n"
	"Graphics acceleration:\n"
	"  --no_threaded_ogl           do not draw from a second thread\n"
	"  --no_fbo_blit, --no_pbos, --no_ubos, --no_instancing, --no_srgb, ...\n"
	"                              turn off one feature of the graphics driver\n"
	"  --use_glsl, --use_hw_instancing, --force_run\n"
	"                              force a feature on, or run on an unsupported card\n"
	"\n"
	"Frame-rate test:\n"
	"  --fps_test=n                run frame-rate test n on the replay given by --load_smo\n"
	"  --require_fps=n             fail the test below n frames per second\n"
	"  --qa_script=<file>          run a test script\n";

[[noreturn]] void print_and_exit(const std::string& text)
{
	std::fputs(text.c_str(), stdout);
	std::fflush(stdout);
	std::exit(0);
}

}  // namespace

void UTL_cmdline::parse(int argc, const char* const* argv)
{
	for (int i = 1; i < argc; ++i) {
		std::string arg = argv[i] ? argv[i] : "";
		std::string::size_type eq = arg.find('=');
		std::string key = arg.substr(0, eq);
		std::string value = eq == std::string::npos ? std::string() : arg.substr(eq + 1);
		// One quote character alone is an opening quote without its closing one: kept.
		if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
			value = value.substr(1, value.size() - 2);
		if (!key.empty())
			options_[key] = value;
	}
}

void UTL_cmdline::init_unix(int argc, const char* const* argv)
{
	parse(argc, argv);
	init_common();
}

void UTL_cmdline::init_common()
{
	if (has_option("--cmnds")) {
		std::string path = get_option("--cmnds");
		std::vector<UTL_command> list = path == "all" ? UTL_command_table() : UTL_command_list_under(path);
		std::string out;
		for (const UTL_command& c : list) {
			int n = std::snprintf(nullptr, 0, "%-50s %s\n", c.name.c_str(), c.description.c_str());
			std::string line(static_cast<size_t>(n) + 1, '\0');
			std::snprintf(line.data(), line.size(), "%-50s %s\n", c.name.c_str(), c.description.c_str());
			line.pop_back();
			out += line;
		}
		print_and_exit(out);
	}
	if (has_option("--version"))
		print_and_exit(std::string(k_version_text) + "\n");
	if (has_option("--fps_test") && !has_option("--load_smo"))
		print_and_exit(k_fps_test_text);
	if (has_option("-h") || has_option("--help"))
		print_and_exit(k_usage_text);
}

int UTL_cmdline::has_option(const char* key) const { return options_.count(key) ? 1 : 0; }

std::string UTL_cmdline::get_option(const char* key) const
{
	dictionary::const_iterator it = options_.find(key);
	return it == options_.end() ? std::string() : it->second;
}

void UTL_cmdline::get_options(dictionary& out) const { out = options_; }

int UTL_cmdline::no_alerts() const
{
	return forced_no_alerts_ || has_option("--fps_test") || has_option("--qa_script") ||
	       has_option("--script") || has_option("--make_previews");
}
