#include "core/TEX/TEX_obj.h"

#include <pthread.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "core/OGL/OGL_gl.h"
#include "core/OGL/OGL_state.h"
#include "core/TEX/TEX_codecs.h"
#include "core/files/file_ops.h"
#include "core/files/resource_path.h"
#include "core/TEX/tman_class.h"
#include "core/ui/alert.h"
#include "core/ui/log.h"

namespace {

// OpenGL names of textures destroyed off the main thread, deleted later on it.
UTL_critical_section s_kill_lock = 0;
std::vector<unsigned> s_kill_queue;
std::atomic<int> s_kill_count{0};
pthread_t s_main_thread;
bool s_main_set = false;

bool on_main_thread() { return !s_main_set || pthread_equal(pthread_self(), s_main_thread); }

struct gl_format {
	GLint internal;
	GLenum format;
	GLenum type;
	int bpp;         // bytes per pixel of the source pixels
	int decode_fmt;  // the codecs' format for file images, 0 when files cannot have it
	bool alpha_swizzle;
};

// The pixel format named by the low four bits of the option word.
bool format_for_code(int code, bool fp, gl_format& f)
{
	switch (code) {
	case 1: case 4: case 5:
		f = {fp ? GL_RGB16F : GL_RGB8, GL_RGB, GL_UNSIGNED_BYTE, 3, TEX_fmt_rgb, false};
		return true;
	case 2: case 6:
		f = {fp ? GL_RGBA16F : GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, 4, TEX_fmt_rgba, false};
		return true;
	case 3:  // core profiles have no alpha textures: red, read as (1, 1, 1, r)
		f = {GL_R8, GL_RED, GL_UNSIGNED_BYTE, 1, TEX_fmt_alpha, true};
		return true;
	case 7:
		f = {GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, 4, 0, false};
		return true;
	case 8:
		f = {GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, 4, 0, false};
		return true;
	case 9:
		f = {GL_R8, GL_RED, GL_UNSIGNED_BYTE, 1, 0, false};
		return true;
	case 10:
		f = {GL_RG8, GL_RG, GL_UNSIGNED_BYTE, 2, TEX_fmt_rg, false};
		return true;
	default:
		return false;
	}
}

// The upload format for a decoded image (alpha mode 2 may change what the option word asked).
int code_for_decoded(int decoded_fmt, int code)
{
	switch (decoded_fmt) {
	case TEX_fmt_rgb: return 1;
	case TEX_fmt_rgba: return 2;
	case TEX_fmt_alpha: return 3;
	case TEX_fmt_rg: return 10;
	default: return code;
	}
}

// Replaces a three-letter extension; "" when the path has none.
std::string with_ext(const std::string& path, const char* ext)
{
	const size_t dot = path.rfind('.');
	const size_t slash = path.rfind('/');
	if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || path.size() - dot != 4)
		return std::string();
	return path.substr(0, dot + 1) + ext;
}

}  // namespace

TEX_obj::TEX_obj(int ref, const std::string& name, tex_filter_type options, tex_fail_mode fail_mode,
                 tex_load_time load_time)
	: ref_(ref), name_(name), options_(options), fail_mode_(fail_mode), load_time_(load_time)
{
	refs_.store(1);
}

TEX_obj::~TEX_obj() { free_gl(); }

void TEX_obj::set_main_thread()
{
	s_main_thread = pthread_self();
	s_main_set = true;
}

int TEX_obj::pending_kills() { return s_kill_count.load(); }

void TEX_obj::delete_some_texes()
{
	if (s_kill_count.load() == 0)
		return;
	std::vector<unsigned> names;
	{
		UTL_cs_guard g(&s_kill_lock);
		names.swap(s_kill_queue);
		s_kill_count.store(0);
	}
	for (unsigned n : names) {
		glDeleteTextures(1, &n);
		OGL_state_forget_texture(n);
	}
}

void TEX_obj::free_gl()
{
	loaded_.store(false);
	if (!gl_name_)
		return;
	const unsigned n = gl_name_;
	gl_name_ = 0;
	if (is_blank_ || n == tman.blank_gl_name())
		return;  // the blank texture outlives every object
	if (on_main_thread()) {
		glDeleteTextures(1, &n);
		OGL_state_forget_texture(n);
	} else {
		UTL_cs_guard g(&s_kill_lock);
		s_kill_queue.push_back(n);
		s_kill_count.fetch_add(1);
	}
}

void TEX_obj::retain()
{
	if (refs_.fetch_add(1) + 1 <= 0)
		RADAVI_alert("Ref count never went positive", name_, "", "", alert_mode_fatal_loc);
}

void TEX_obj::release_kill()
{
	if (tman_class::destroyed())
		return;
	bool kill = false;
	{
		UTL_cs_guard g(&tman.lock_);
		if (refs_.fetch_sub(1) - 1 == 0) {
			tman.forget(this);
			kill = true;
		}
	}
	if (kill)
		delete this;
}

void TEX_obj::change_path(const std::string& path, tex_fail_mode fail_mode)
{
	name_ = path;
	fail_mode_ = fail_mode;
	is_mem_ = false;
	mem_.clear();
	load();
}

void TEX_obj::set_mem(const void* pixels, int width, int height)
{
	gl_format f;
	const int bpp = format_for_code(options_ & tex_fmt_mask, false, f) ? f.bpp : 4;
	is_mem_ = true;
	mem_null_ = pixels == nullptr;
	dx_ = width > 0 ? width : 0;
	dy_ = height > 0 ? height : 0;
	if (mem_null_)
		mem_.clear();
	else
		mem_.assign(static_cast<const unsigned char*>(pixels),
		            static_cast<const unsigned char*>(pixels) + static_cast<size_t>(dx_) * dy_ * bpp);
}

void TEX_obj::change_mem(const void* pixels, int width, int height)
{
	set_mem(pixels, width, height);
	load();
}

bool TEX_obj::load()
{
	if (!is_mem_)
		return load_file();
	const int code = options_ & tex_fmt_mask;
	const bool ok = upload(mem_null_ ? nullptr : mem_.data(), dx_, dy_, dx_, dy_, dx_, code);
	// Once on the card the copy is dropped (glyph atlases are large); change_mem brings new pixels.
	if (ok) {
		mem_.clear();
		mem_.shrink_to_fit();
		mem_null_ = true;
	}
	return ok;
}

bool TEX_obj::load_file()
{
	loaded_.store(false);
	std::string path = name_;
	if (!is_resource_path(path)) {
		// The first existing of the image kinds we read; the path as given when it has no extension.
		const char* order[2] = {"png", "bmp"};
		std::string chosen;
		for (const char* ext : order) {
			const std::string c = with_ext(path, ext);
			if (!c.empty() && file_exists(c)) {
				chosen = c;
				break;
			}
		}
		if (!chosen.empty())
			path = chosen;
	}
	xmap_class file(path);
	if (!file.is_open()) {
		skyvane_log_write(log_warn, "OGL", "Texture file not found: %s", path.c_str());
		return false;
	}
	const int code = options_ & tex_fmt_mask;
	gl_format f;
	if (!format_for_code(code, false, f) || f.decode_fmt == 0) {
		skyvane_log_write(log_error, "OGL", "Texture %s has no file pixel format (options 0x%x)", path.c_str(), options_);
		return false;
	}
	static const unsigned char png_sig[8] = {137, 80, 78, 71, 13, 10, 26, 10};
	unsigned char* px = nullptr;
	TEX_image_desc desc;
	int ok = 0;
	bool decoded_rgba_image = false;
	if (file.size() >= 4 && memcmp(file.data(), "DDS ", 4) == 0) {
		skyvane_log_write(log_error, "OGL", "DDS textures are not read by this program: %s", path.c_str());
		return false;
	} else if (file.size() >= 2 && file.data()[0] == 'B' && file.data()[1] == 'M') {
		ok = TEX_load_bmp(path, file, px, f.decode_fmt, 0, true, desc);
		decoded_rgba_image = true;
	} else if (file.size() >= 8 && memcmp(file.data(), png_sig, 8) == 0) {
		const int alpha_mode = code == 4 ? png_alpha_follow : (code == 5 || code == 6) ? png_alpha_match : png_alpha_keep;
		ok = TEX_load_png(path, file, px, f.decode_fmt, 0, true, alpha_mode, desc, nullptr);
		decoded_rgba_image = true;
	} else {
		skyvane_log_write(log_error, "OGL", "Texture %s is neither PNG nor BMP", path.c_str());
		return false;
	}
	file.close();
	if (!ok) {
		free(px);
		return false;
	}
	if (desc.width > 4096 || desc.height > 4096) {
		RADAVI_alert("Too large a texture!", "Skyvane can't load this!", "", path, alert_mode_warning);
		free(px);
		return false;
	}
	const int bpp = TEX_bytes_per_pixel(desc.format);
	int tex_w = desc.width + desc.row_padding / (bpp ? bpp : 1);
	int tex_h = TEX_next_pow2(desc.height);
	if (!(options_ & tex_full_res)) {
		float rat = tman.scale_rat();
		if (options_ & tex_res_double)
			rat *= 2.0f;
		if (options_ & tex_res_halve)
			rat *= 0.5f;
		if (rat < 1.0f) {
			const int factor = static_cast<int>(std::lround(1.0f / rat));
			TEX_downscale(desc, px, factor, factor);
			tex_w = desc.width;
			tex_h = desc.height;
		}
	}
	if (decoded_rgba_image && desc.format == TEX_fmt_rgba && !(options_ & tex_mipmap_mask))
		TEX_clean_edge(desc, px);
	const bool up = upload(px, desc.width, desc.height, tex_w, tex_h, tex_w, code_for_decoded(desc.format, code));
	free(px);
	return up;
}

bool TEX_obj::upload(const unsigned char* px, int w, int h, int tex_w, int tex_h, int row_len_pixels, int code)
{
	gl_format f;
	if (!format_for_code(code, (options_ & tex_float) != 0, f)) {
		skyvane_log_write(log_error, "OGL", "Texture %s has an invalid pixel format (options 0x%x)", name_.c_str(),
		                  options_);
		return false;
	}
	if (!gl_name_)
		glGenTextures(1, &gl_name_);
	target_ = GL_TEXTURE_2D;
	glBindTexture(GL_TEXTURE_2D, gl_name_);
	OGL_state_current()->bound[0][0] = gl_name_;
	glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
	glPixelStorei(GL_UNPACK_ROW_LENGTH, row_len_pixels);
	const bool mip = (options_ & tex_mipmap_mask) != 0;
	const bool nearest = (options_ & tex_nearest) != 0;
	glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, nearest ? GL_NEAREST : GL_LINEAR);
	glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
	                mip ? (nearest ? GL_NEAREST_MIPMAP_NEAREST : GL_LINEAR_MIPMAP_LINEAR) : (nearest ? GL_NEAREST : GL_LINEAR));
	glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, (options_ & tex_clamp_s) ? GL_CLAMP_TO_EDGE : GL_REPEAT);
	glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, (options_ & tex_clamp_t) ? GL_CLAMP_TO_EDGE : GL_REPEAT);
	if (f.alpha_swizzle) {
		const GLint sw[4] = {GL_ONE, GL_ONE, GL_ONE, GL_RED};
		glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, sw);
	}
	if (tex_w > 0 && tex_h > 0) {
		// A padded image brings its cleared padding along, so edges filter against zero.
		glTexImage2D(GL_TEXTURE_2D, 0, f.internal, tex_w, tex_h, 0, f.format, f.type, px);
		if (mip)
			glGenerateMipmap(GL_TEXTURE_2D);
	}
	glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
	dx_ = w;
	dy_ = h;
	tex_dx_ = tex_w;
	tex_dy_ = tex_h;
	bytes_ = static_cast<size_t>(tex_w) * tex_h * f.bpp;
	loaded_.store(true);
	return true;
}

void TEX_obj::bind(int unit)
{
	const unsigned name = (loaded_.load() && dx_ > 0 && dy_ > 0 && gl_name_) ? gl_name_ : tman.blank_gl_name();
	if (unit < 0 || unit >= ogl_tex_units)
		unit = 0;
	const int ti = OGL_target_index(target_);
	unsigned& cur = OGL_state_current()->bound[ti][unit];
	if (cur == name)
		return;
	if (unit == 0) {
		glBindTexture(target_, name);
	} else {
		glActiveTexture(GL_TEXTURE0 + unit);
		glBindTexture(target_, name);
		glActiveTexture(GL_TEXTURE0);
	}
	cur = name;
}
