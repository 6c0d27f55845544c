#pragma once
// The texture manager: textures by reference number. 0..386 are manual references chosen by
// the caller; 387 and above are dynamic, shared by path, and freed when nobody references them.
#include <atomic>
#include <map>
#include <string>
#include <vector>

#include "core/TEX/TEX_obj.h"
#include "core/thread/UTL_threads.h"

enum {
	tex_ref_black = 1,
	tex_ref_black_opaque = 2,
	tex_ref_white = 3,
	tex_ref_blank = 4,
	tex_ref_lines = 6,
	tex_ref_first_dynamic = 387,
	tex_ref_limit_manual = 388
};

class tman_class {
public:
	tman_class();
	~tman_class();

	int load_texture(tex_fail_mode fail_mode, int ref, tex_filter_type options, tex_load_time load_time,
	                 const std::string& path);
	int load_texture_idx(tex_fail_mode fail_mode, int ref, tex_filter_type options, tex_load_time load_time,
	                     const std::string& path);
	// Retained for the caller: every call must be matched by one release_kill.
	TEX_obj* load_texture_obj(tex_fail_mode fail_mode, tex_filter_type options, tex_load_time load_time,
	                          const std::string& path);
	// pixels: bottom row first, tightly packed, in the option word's format; null = empty texture.
	int load_texture_mem_idx(int ref, tex_filter_type options, const void* pixels, int width, int height,
	                         const std::string& name);
	TEX_obj* load_texture_mem_obj(tex_filter_type options, const void* pixels, int width, int height,
	                              const std::string& name);

	TEX_obj* get_known_obj(int ref);
	float tex_dx_tot(int ref);
	float tex_dy_tot(int ref);
	float tex_dz_tot(int ref);
	bool tex_loaded(int ref);
	void bind_ref(int ref, int unit);
	void unload_texture(int ref);
	void purge_unused_texes();

	void got_scene_load_fail() { scene_fail_ = 1; }
	void got_plane_load_fail() { plane_fail_ = 1; }
	void got_instl_load_fail() { instl_fail_ = 1; }

	TEX_obj* blank_obj() const { return blank_; }
	TEX_obj* white_obj() const { return white_; }
	TEX_obj* black_obj() const { return black_; }
	unsigned blank_gl_name() const { return blank_name_; }

	// The global texture-resolution setting (0..4 give 1/32 .. 1/2; anything else 1).
	void set_resolution_index(int idx) { res_index_ = idx; }
	float scale_rat() const;
	// Shows loading progress on the loading screen: the shell sets it to show "Loading bitmap "
	// (translated) + path + ".".
	typedef void (*progress_fn)(const std::string& path);
	void set_progress_fn(progress_fn fn) { progress_ = fn; }
	// Number of table slots holding an object (tests, statistics).
	int count_objects();
	// True once the global manager has been destroyed at exit: releases then do nothing.
	static bool destroyed();

private:
	friend class TEX_obj;
	friend void TEX_init();
	void note_progress(int ref, tex_load_time load_time, const std::string& path);
	bool check_args(int ref, tex_load_time load_time, const std::string& path);
	int lowest_free_dynamic();  // caller holds the lock
	void grow(int ref);         // caller holds the lock
	void forget(TEX_obj* obj);  // caller holds the lock: slot and name map
	// Manual slot ref's object, made when the slot is empty, else given the new name and options.
	TEX_obj* manual_obj(int ref, const std::string& name, tex_filter_type options, tex_fail_mode fail_mode,
	                    tex_load_time load_time);  // caller holds the lock
	TEX_obj* slot(int ref) const;                  // caller holds the lock; null when empty or out of range
	float slot_size(int ref, int (TEX_obj::*dim)() const);  // takes the lock; 0 for an empty slot

	std::vector<TEX_obj*> table_;
	std::map<std::string, int> names_;
	TEX_obj* blank_ = nullptr;
	TEX_obj* white_ = nullptr;
	TEX_obj* black_ = nullptr;
	unsigned blank_name_ = 0;
	std::atomic<int> scene_fail_{0}, plane_fail_{0}, instl_fail_{0};
	UTL_critical_section lock_ = 0;
	int res_index_ = -1;
	progress_fn progress_ = nullptr;
	double last_call_ = -1.0;
};

extern tman_class tman;

// Start-up: the blank, black, white and line textures. Needs a current OpenGL context.
void TEX_init();
// The 2 x 2 grey scratch image (every byte 0x82) that backs the blank texture; the start-up's
// colour step reads interface colours from it.
unsigned char* TEX_scratch_pixels();
