#pragma once
// Per-window projection settings, read from the window-positions file and kept; the
// Installer does not draw with them.
#include <vector>

struct projection_params {
	int diff_FOV = 0;
	double FOVx_renopt = 60.0;
	double FOVy_renopt = 35.98;
	double os_x_rat = 0, os_y_rat = 0;
	double off_vrt_deg = 0, off_lat_deg = 0, off_phi_deg = 0;
	int window_2d_off = 0;
	int grid_os_on_test = 0, grid_os_on_render = 0;
	int grid_os_drag_dim_i = 10, grid_os_drag_dim_j = 10;
	int grid_os_step_dim_i = 0, grid_os_step_dim_j = 0;
	int grid_os_vert_dim_i = 0, grid_os_vert_dim_j = 0;
	int grid_os_drag_now_i = 0, grid_os_drag_now_j = 0;
	std::vector<std::vector<float>> grid_os_x, grid_os_y;
	int gradient_on = 0;
	float gradient_width_top[2] = {0, 0};
	float gradient_width_ctr[2] = {0, 0};
	float gradient_width_bot[2] = {0, 0};
	float gradient_alpha[2][4] = {{1.0f, 0.65f, 0.33f, 0.0f}, {1.0f, 0.65f, 0.33f, 0.0f}};
};
