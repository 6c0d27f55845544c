#pragma once
// Text in a style: the underlay font (layer 0) below the main font (layer 1).
#include <string>

#include "core/OGL/OGL_text_types.h"

class OGL_draw_context;
class OGL_font;
struct gui_font_style_info;

void gui_draw_styled_text(OGL_draw_context* ctx, const gui_font_style_info* style, float x, float y,
                          const char* begin, const char* end, float fixed_advance, float wrap_width, just_t just,
                          float alpha);
// One line; a text wider than width ends in "..." after as many whole characters as fit.
void gui_draw_styled_text_no_wrap(OGL_draw_context* ctx, const gui_font_style_info* style, float x, float y,
                                  const std::string& text, float fixed_advance, float width, just_t just, float alpha);

// The text as gui_draw_styled_text_no_wrap shows it: unchanged when it fits, else cut before
// whole characters and ended with "..." (at least three characters stay before it).
std::string gui_cut_text_to_width(OGL_font* font, const std::string& text, float width);
