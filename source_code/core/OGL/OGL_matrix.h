#pragma once
// Software matrix stacks of the 2-D drawing (column-major 4x4 floats, as OpenGL takes them).
// Each OpenGL context has its own stacks (OGL_state.h): projection at most 10 deep, model-view
// at most 40 deep.

void OGL_matrix_identity(float m[16]);
void OGL_matrix_multiply(const float a[16], const float b[16], float out[16]);  // out = a x b
// (x, y, 0, 1) through m; returns x, y, w of the result.
void OGL_matrix_transform(const float m[16], float x, float y, float out[3]);

void OGL_MatrixMode(unsigned mode);  // GL_PROJECTION or GL_MODELVIEW
void OGL_LoadIdentity();
void OGL_LoadMatrixf(const float m[16]);
void OGL_MultMatrixf(const float m[16]);
void OGL_Ortho(double left, double right, double bottom, double top, double near_val, double far_val);
void OGL_Translatef(float x, float y, float z);
void OGL_Scalef(float x, float y, float z);
void OGL_PushMatrix();
void OGL_PopMatrix();

// The tops of the current context's stacks.
const float* OGL_get_projection();
const float* OGL_get_modelview();
void OGL_get_mvp(float out[16]);  // projection x model-view
unsigned OGL_modelview_serial();  // changes whenever the model-view top changes

// Uniform locations of a program that want the standard transforms; a negative location is
// skipped. OGL_sync_std_transform uploads them for the program in use.
void OGL_set_transform_uniforms(unsigned program, int mvp, int modelview, int projection, int normal);
void OGL_sync_std_transform(unsigned program);
// Uploads mvp = projection x the given model-view (the draw context's recorded matrices).
void OGL_sync_transform_with_modelview(unsigned program, const float modelview[16]);

// glViewport, called only when the rectangle differs from the last one.
void OGL_Viewport(int x, int y, int width, int height);
// The last viewport set (queried from OpenGL once when none was set yet).
void OGL_get_viewport(int out[4]);
void OGL_forget_viewport();
