#pragma once
// Per-context OpenGL state kept in software: the texture bindings per target and unit, the
// matrix stacks, the viewport and the blend state. Each thread has a current record; the main
// window's record is current on the main thread unless a caller switches it.
#include <vector>

enum { ogl_tex_targets = 4, ogl_tex_units = 8 };

struct OGL_matrix_stack {
	std::vector<float> m;  // 16 floats per entry, the top last
	int max_depth = 0;
	OGL_matrix_stack(int depth);
	float* top() { return m.data() + m.size() - 16; }
	const float* top() const { return m.data() + m.size() - 16; }
	int depth() const { return static_cast<int>(m.size() / 16); }
};

struct OGL_state_record {
	unsigned bound[ogl_tex_targets][ogl_tex_units] = {};
	OGL_matrix_stack projection{10};
	OGL_matrix_stack modelview{40};
	unsigned matrix_mode = 0x1700;  // GL_MODELVIEW
	bool transform_changed = true;
	unsigned modelview_serial = 1;   // bumped at every change of the model-view top
	int viewport[4] = {-1, -1, -1, -1};
	int blend_target = 0;
	int blend_mode = 0;
	std::vector<int> blend_stack;  // target, mode pairs
	unsigned bound_program = 0;
};

OGL_state_record* OGL_state_current();
void OGL_state_set_current(OGL_state_record* rec);
// Forget every recorded binding of this texture name in the current record (it was deleted).
void OGL_state_forget_texture(unsigned name);
// Forget all recorded texture bindings (another piece of code bound textures behind our back).
void OGL_state_forget_bindings();

// Index of a texture target in the binding table: 0 2-D, 1 3-D, 2 cube map, 3 2-D array.
int OGL_target_index(unsigned target);
