#include "core/OGL/OGL_styled_text.h"

#include "core/OGL/OGL_draw_context.h"
#include "core/OGL/OGL_font.h"
#include "core/OGL/OGL_font_table.h"
#include "core/OGL/OGL_utf8.h"

void gui_draw_styled_text(OGL_draw_context* ctx, const gui_font_style_info* style, float x, float y,
                          const char* begin, const char* end, float fixed_advance, float wrap_width, just_t just,
                          float alpha)
{
	if (!ctx || !style)
		return;
	if (OGL_font* u = style->get_underlay_font())
		ctx->draw_string(0, u, style->underlay_color, style->underlay_color2, x + style->underlay_dx,
		                 y + style->underlay_dy, begin, end, fixed_advance, wrap_width, just,
		                 alpha * style->underlay_alpha);
	if (OGL_font* m = style->get_main_font())
		ctx->draw_string(1, m, style->main_color, style->main_color2, x, y, begin, end, fixed_advance, wrap_width, just,
		                 alpha);
}

std::string gui_cut_text_to_width(OGL_font* font, const std::string& text, float width)
{
	if (!font || font->measure_string(text) <= width)
		return text;
	// Whole characters come off the end, one at a time, until the text and "..." fit.
	std::string head = text;
	for (;;) {
		const char* b = head.data();
		const char* e = b + head.size();
		int chars = 0;
		for (const char* p = b; p < e && chars <= 3;)
			OGL_utf8_next(p, e), ++chars;
		if (chars <= 3 || font->measure_string(head + "...") <= width)
			return head + "...";
		head.resize(OGL_utf8_prev(b, e) - b);
	}
}

void gui_draw_styled_text_no_wrap(OGL_draw_context* ctx, const gui_font_style_info* style, float x, float y,
                                  const std::string& text, float fixed_advance, float width, just_t just, float alpha)
{
	if (!style)
		return;
	const std::string shown = gui_cut_text_to_width(style->get_main_font(), text, width);
	gui_draw_styled_text(ctx, style, x, y, shown.data(), shown.data() + shown.size(), fixed_advance, 0, just, alpha);
}
