#include "core/OGL/OGL_state.h"

#include "core/OGL/OGL_gl.h"
#include "core/OGL/OGL_matrix.h"

OGL_matrix_stack::OGL_matrix_stack(int depth) : m(16), max_depth(depth) { OGL_matrix_identity(m.data()); }

namespace {
thread_local OGL_state_record t_default;
thread_local OGL_state_record* t_current = nullptr;
}  // namespace

OGL_state_record* OGL_state_current() { return t_current ? t_current : &t_default; }
void OGL_state_set_current(OGL_state_record* rec) { t_current = rec; }

void OGL_state_forget_texture(unsigned name)
{
	OGL_state_record* r = OGL_state_current();
	for (auto& target : r->bound)
		for (unsigned& b : target)
			if (b == name)
				b = 0;
}

void OGL_state_forget_bindings()
{
	OGL_state_record* r = OGL_state_current();
	for (auto& target : r->bound)
		for (unsigned& b : target)
			b = 0;
}

int OGL_target_index(unsigned target)
{
	switch (target) {
	case GL_TEXTURE_3D: return 1;
	case GL_TEXTURE_CUBE_MAP: return 2;
	case GL_TEXTURE_2D_ARRAY: return 3;
	default: return 0;
	}
}
