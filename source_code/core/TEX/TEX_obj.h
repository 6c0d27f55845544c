#pragma once
// One OpenGL texture: a file image or pixels from memory, with a reference count.
// Objects are made and owned by the texture manager (tman_class.h).
#include <atomic>
#include <string>
#include <vector>

typedef int tex_filter_type;  // the option word, bits below
typedef int tex_fail_mode;
typedef int tex_load_time;    // 0, 1 or 2 (2: the loading screen may show progress)

enum {
	tex_fmt_mask = 0xF,           // 1 RGB, 2 RGBA, 3 alpha, 4/5 RGB, 6 RGBA, 7 depth, 8 BGRA, 9 red, 10 RG
	tex_mipmap_mask = 0xC0,
	tex_nearest = 0x200,
	tex_prefer_png = 0x1000,
	tex_clamp_t = 0x2000,
	tex_clamp_s = 0x4000,
	tex_float = 0x8000,
	tex_res_double = 0x200000,
	tex_res_halve = 0x400000,
	tex_full_res = 0x800000
};

// Option words used by the interface.
enum {
	tex_opt_resource = 0x887402,  // RGBA, clamped both ways, linear, no mipmaps, full resolution
	tex_opt_builtin = 0x801402,
	tex_opt_blank = 0x801401
};

class TEX_obj {
public:
	// A file texture (path) or a memory texture (is_mem; pixels may be null for an empty one).
	TEX_obj(int ref, const std::string& name, tex_filter_type options, tex_fail_mode fail_mode,
	        tex_load_time load_time);
	virtual ~TEX_obj();
	TEX_obj(const TEX_obj&) = delete;
	TEX_obj& operator=(const TEX_obj&) = delete;

	bool load();
	void bind(int unit);
	void retain();
	void release_kill();
	bool has_refs() const { return refs_.load() != 0; }
	void nuke_all_refs() { refs_.store(0); }
	int ref_count() const { return refs_.load(); }
	void change_path(const std::string& path, tex_fail_mode fail_mode);
	// Memory pixels in the format of the option word, bottom row first, no row padding.
	void change_mem(const void* pixels, int width, int height);
	void set_mem(const void* pixels, int width, int height);  // without loading

	int ref() const { return ref_; }
	const std::string& name() const { return name_; }
	tex_filter_type options() const { return options_; }
	unsigned gl_name() const { return gl_name_; }
	unsigned gl_target() const { return target_; }
	bool loaded() const { return loaded_.load(); }
	// Image size in pixels, and the texture's allocated size (larger for padded images).
	int width() const { return dx_; }
	int height() const { return dy_; }
	int depth() const { return dz_; }
	int tex_width() const { return tex_dx_; }
	int tex_height() const { return tex_dy_; }
	// The drawn part of a padded image, as a fraction of the texture.
	float used_s() const { return tex_dx_ > 0 ? float(dx_) / tex_dx_ : 1.0f; }
	float used_t() const { return tex_dy_ > 0 ? float(dy_) / tex_dy_ : 1.0f; }
	size_t bytes() const { return bytes_; }

	// Deletes the OpenGL names queued by objects destroyed off the main thread.
	static void delete_some_texes();
	// The thread whose deletions happen at once (TEX_init's thread).
	static void set_main_thread();
	static int pending_kills();

private:
	friend class tman_class;
	bool load_file();
	bool upload(const unsigned char* px, int w, int h, int tex_w, int tex_h, int row_len_pixels, int fmt_code);
	void free_gl();

	int ref_;
	std::string name_;
	tex_filter_type options_;
	tex_fail_mode fail_mode_;
	tex_load_time load_time_;
	unsigned gl_name_ = 0;
	unsigned target_ = 0x0DE1;  // GL_TEXTURE_2D
	int dx_ = 0, dy_ = 0, dz_ = 1;
	int tex_dx_ = 0, tex_dy_ = 0;
	size_t bytes_ = 0;
	std::atomic<bool> loaded_{false};
	std::atomic<int> refs_{0};
	bool is_mem_ = false;
	bool mem_null_ = false;
	std::vector<unsigned char> mem_;
	bool is_blank_ = false;
};
