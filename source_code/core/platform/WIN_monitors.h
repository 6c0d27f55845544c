#pragma once
// Monitors and their display modes. Monitor geometry is in global points, origin at the
// top-left of the primary monitor.
#include <cstdint>

// The number of active displays; 1 when the system cannot list them.
int UTL_count_monitors();
// Any output may be null. An index the system does not know reads the main display.
void UTL_get_monitor_res(int index, int* left, int* top, int* width, int* height, int* depth, int* refresh);
// Every display mode of the display, in the system's order.
void UTL_get_all_monitor_modes(int index, void (*callback)(int width, int height, int depth, int refresh, void* ref),
                               void* ref);
// Switches to the last mode matching all four values: 1 when the display is in it afterwards,
// else 0 and nothing changes.
int UTL_set_monitor_res(int index, int width, int height, int depth, int refresh);

// Colour depth (bits per pixel) for an SDL pixel format.
int WIN_depth_of_pixel_format(uint32_t sdl_format);
