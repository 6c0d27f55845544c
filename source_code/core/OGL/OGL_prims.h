#pragma once
// 2-D primitives. The rounded box goes through the draw context; the others draw at once with
// the 2-D program and the current transform (immediate mode).

class OGL_draw_context;

// rect: left, bottom, right, top. A fan of 44 points: four quarter circles of 11 points in
// 9-degree steps, clockwise from the upper-left corner's 180 degrees.
void OGL_draw_rounded_box(OGL_draw_context* ctx, const int* rect, int radius, int color, float alpha);
// The 44 points (x, y pairs) of that fan.
void OGL_rounded_box_points(const int* rect, int radius, float out[88]);

void OGL_line(float x1, float y1, float x2, float y2, int color, float alpha);
void OGL_framerect(float left, float bottom, float right, float top, int color, float alpha);  // 1 unit, inside
void OGL_fillrect(float left, float bottom, float right, float top, int color, float alpha);
void OGL_grayrect(float left, float bottom, float right, float top, float grey, float alpha);
// A white-tinted quad with the texture bound on unit 0.
void OGL_2dquad(float left, float bottom, float right, float top, float s0, float t0, float s1, float t1);
