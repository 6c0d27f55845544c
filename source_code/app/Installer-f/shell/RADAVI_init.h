#pragma once
// Start-up of the application shell: command line, log, machine facts, threads, (display,
// drawing and the main window), language, networking, statistics and translations.

// The window-side steps join here once the display layer exists. Each may be null; they are
// skipped in unattended mode.
struct RADAVI_display_hooks {
	void (*set_display)() = nullptr;       // display mode, buffers, draw context, textures
	void (*open_main_window)() = nullptr;  // main window and the modal alert controllers
	void (*show_init)(const char* text, float fraction) = nullptr;  // a loading-screen line
};
void RADAVI_set_display_hooks(const RADAVI_display_hooks& hooks);

// Called once by main; the immediate command-line options print and exit inside.
void RADAVI_init(int argc, const char* const* argv);

// Without a window: set by --unattended before RADAVI_init reads it.
bool RADAVI_is_unattended();

// A line on the start-up loading screen; without an explicit fraction (negative) it is the
// loading counter / 18, clamped to 0.02 .. 0.9. Nothing is shown before the main window exists.
void RADAVI_show_init(const char* text, float fraction = -1.0f);
// The fraction used for call number counter (1 for the first call).
float RADAVI_init_fraction(int counter);

// "%s - Speed: %s GHz - Cores: %d" for the system information record.
#include <string>
std::string RADAVI_processor_text(const std::string& brand, int cpu_mhz, int cores);
// 1, 2, 3, 4, 6, 8, 16, 32, 64 or 128 for up to 1024 ... 131072 MB.
int RADAVI_memory_class(int ram_mb);
