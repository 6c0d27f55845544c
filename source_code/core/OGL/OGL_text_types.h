#pragma once
// Shared vocabulary of text and image placement.

enum just_t { just_left = 0, just_center = 1, just_right = 2 };

// Placement along one axis of an image in a box.
enum pos_t {
	pos_start = 0,       // left or bottom
	pos_center = 1,
	pos_end = 2,         // right or top
	pos_nine_slice = 3,  // stretched to the box, caps at natural size
	pos_stretch = 4      // stretched to the box uniformly
};

// With both axes stretched: 0 fill the box, 1 fit inside keeping the aspect, 2 cover keeping it.
enum gui_aspect_control_t { aspect_free = 0, aspect_fit = 1, aspect_cover = 2 };

// Background images: 0 horizontal nine-slice (natural height, centred), 1 vertical nine-slice,
// 2 nine-slice both ways, 3 plain stretch both ways, 4 plain stretch covering with the aspect kept.
enum bkgnd_mode_t {
	bkgnd_stretch_h = 0,
	bkgnd_stretch_v = 1,
	bkgnd_stretch_both = 2,
	bkgnd_plain = 3,
	bkgnd_cover = 4
};
