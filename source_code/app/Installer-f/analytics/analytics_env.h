#pragma once
// What a usage hit says about this computer and its display, gathered behind small seams: the
// anonymous client identifier, the platform name, the OpenGL renderer name, and the main window's
// and main monitor's sizes. The window layer fills the display ones once it knows them.
#include <functional>
#include <string>

// "Linux": the operating system's name as the hits report it.
const char* ga_platform_name();

// The stable anonymous identifier of this computer: an application-specific hash of the machine
// id (never the id itself) as "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx"; empty when there is none.
// Worked out once and kept.
std::string ga_machine_client_id();
// The identifier the hits carry; ga_machine_client_id unless a source was set.
std::string ga_client_id();
// Replaces where the identifier comes from (tests); an empty function restores the machine's.
void ga_set_client_id_source(std::function<std::string()> source);

// The OpenGL renderer name ("GPU Class"); empty until the window layer sets it.
void ga_set_gpu_renderer(const std::string& name);
std::string ga_gpu_renderer();

// Sizes in pixels, asked for at every hit; 0 x 0 while no source is set or it cannot tell.
typedef std::function<void(int& width, int& height)> ga_size_source;
void ga_set_window_size_source(ga_size_source source);
void ga_set_monitor_size_source(ga_size_source source);
void ga_window_size(int& width, int& height);
void ga_monitor_size(int& width, int& height);
