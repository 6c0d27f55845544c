#include "core/TEX/tman_class.h"

#include <cstdio>
#include <cstring>

#include "core/files/str_helpers.h"
#include "core/ui/alert.h"
#include "core/ui/app_clock.h"
#include "core/ui/log.h"

tman_class tman;

namespace {
std::atomic<bool> s_destroyed{false};
unsigned char s_scratch[2 * 2 * 4];

bool exempt_from_progress(int ref) { return ref == 4 || ref == 304 || ref == 329 || (ref >= 332 && ref <= 347); }
}  // namespace

unsigned char* TEX_scratch_pixels() { return s_scratch; }

tman_class::tman_class() { UTL_critical_section_create(&lock_); }

tman_class::~tman_class()
{
	// At exit the GL context may be gone; the objects die with the process.
	s_destroyed.store(true);
}

bool tman_class::destroyed() { return s_destroyed.load(); }

float tman_class::scale_rat() const
{
	static const float rats[5] = {0.03125f, 0.0625f, 0.125f, 0.25f, 0.5f};
	return (res_index_ >= 0 && res_index_ < 5) ? rats[res_index_] : 1.0f;
}

void tman_class::grow(int ref)
{
	if (ref >= static_cast<int>(table_.size()))
		table_.resize(ref + 1, nullptr);
}

int tman_class::lowest_free_dynamic()
{
	for (int i = tex_ref_first_dynamic; i < static_cast<int>(table_.size()); ++i)
		if (!table_[i])
			return i;
	const int r = std::max<int>(tex_ref_first_dynamic, static_cast<int>(table_.size()));
	grow(r);
	return r;
}

TEX_obj* tman_class::manual_obj(int ref, const std::string& name, tex_filter_type options, tex_fail_mode fail_mode,
                                tex_load_time load_time)
{
	grow(ref);
	TEX_obj*& obj = table_[ref];
	if (obj) {
		obj->name_ = name;
		obj->options_ = options;
	} else {
		obj = new TEX_obj(ref, name, options, fail_mode, load_time);
		obj->is_blank_ = ref == tex_ref_blank;
	}
	return obj;
}

TEX_obj* tman_class::slot(int ref) const
{
	return (ref >= 0 && ref < static_cast<int>(table_.size())) ? table_[ref] : nullptr;
}

void tman_class::forget(TEX_obj* obj)
{
	const int r = obj->ref_;
	if (r >= 0 && r < static_cast<int>(table_.size()) && table_[r] == obj)
		table_[r] = nullptr;
	auto it = names_.find(obj->name_);
	if (it != names_.end() && it->second == r)
		names_.erase(it);
}

int tman_class::count_objects()
{
	UTL_cs_guard g(&lock_);
	int n = 0;
	for (TEX_obj* o : table_)
		n += o != nullptr;
	return n;
}

void tman_class::note_progress(int ref, tex_load_time load_time, const std::string& path)
{
	const double now = app_clock_now();
	const double prev = last_call_;
	last_call_ = now;
	if (load_time == 2 && prev >= 0 && now - prev > 1.0 && path.rfind("scratch_array", 0) != 0 &&
	    !exempt_from_progress(ref) && progress_)
		progress_(path);
}

bool tman_class::check_args(int ref, tex_load_time load_time, const std::string& path)
{
	char v[64];
	if (load_time >= 3 || load_time < 0) {
		snprintf(v, sizeof(v), "%1.0f", static_cast<double>(load_time));
		RADAVI_alert("Trying to create an invalid texture load_time!", path, "value:", v, alert_mode_fatal_loc);
		return false;
	}
	if (ref >= tex_ref_limit_manual || ref < 0) {
		snprintf(v, sizeof(v), "%1.0f", static_cast<double>(ref));
		RADAVI_alert("Trying to bind too low or high a manual_ref!", path, "value:", v, alert_mode_fatal_loc);
		return false;
	}
	return true;
}

int tman_class::load_texture(tex_fail_mode fail_mode, int ref, tex_filter_type options, tex_load_time load_time,
                             const std::string& path)
{
	if (path.empty())
		return 0;
	note_progress(ref, load_time, path);
	if (!check_args(ref, load_time, path))
		return 0;
	if (path.rfind("scratch_array", 0) == 0)
		return load_texture_mem_idx(ref, options, s_scratch, 2, 2, path);
	return load_texture_idx(fail_mode, ref, options, load_time, path);
}

int tman_class::load_texture_idx(tex_fail_mode fail_mode, int ref, tex_filter_type options, tex_load_time load_time,
                                 const std::string& path)
{
	if (ref < 0)
		return 0;
	TEX_obj* obj;
	{
		UTL_cs_guard g(&lock_);
		obj = manual_obj(ref, path, options, fail_mode, load_time);
		obj->fail_mode_ = fail_mode;
		obj->is_mem_ = false;
		obj->mem_.clear();
	}
	return obj->load() ? ref : 0;
}

TEX_obj* tman_class::load_texture_obj(tex_fail_mode fail_mode, tex_filter_type options, tex_load_time load_time,
                                      const std::string& path_in)
{
	if (path_in.empty())
		return nullptr;
	std::string path = path_in;
	crunch_path(path);
	TEX_obj* obj;
	{
		UTL_cs_guard g(&lock_);
		auto it = names_.find(path);
		if (it != names_.end() && table_[it->second]) {
			obj = table_[it->second];
			obj->retain();
			return obj;
		}
		const int ref = lowest_free_dynamic();
		names_[path] = ref;
		obj = new TEX_obj(ref, path, options, fail_mode, load_time);
		table_[ref] = obj;
	}
	obj->load();
	return obj;
}

int tman_class::load_texture_mem_idx(int ref, tex_filter_type options, const void* pixels, int width, int height,
                                     const std::string& name)
{
	if (ref < 0)
		return 0;
	TEX_obj* obj;
	{
		UTL_cs_guard g(&lock_);
		obj = manual_obj(ref, name, options, 0, 0);
		obj->set_mem(pixels, width, height);
	}
	if (!obj->load())
		return 0;
	if (ref == tex_ref_blank)
		blank_name_ = obj->gl_name();
	return ref;
}

TEX_obj* tman_class::load_texture_mem_obj(tex_filter_type options, const void* pixels, int width, int height,
                                          const std::string& name)
{
	TEX_obj* obj;
	{
		UTL_cs_guard g(&lock_);
		const int ref = lowest_free_dynamic();
		obj = new TEX_obj(ref, name, options, 0, 0);
		obj->set_mem(pixels, width, height);
		table_[ref] = obj;
	}
	obj->load();
	return obj;
}

TEX_obj* tman_class::get_known_obj(int ref)
{
	UTL_cs_guard g(&lock_);
	return slot(ref);
}

float tman_class::slot_size(int ref, int (TEX_obj::*dim)() const)
{
	UTL_cs_guard g(&lock_);
	const TEX_obj* o = slot(ref);
	return o ? float((o->*dim)()) : 0.0f;
}

float tman_class::tex_dx_tot(int ref) { return slot_size(ref, &TEX_obj::width); }
float tman_class::tex_dy_tot(int ref) { return slot_size(ref, &TEX_obj::height); }
float tman_class::tex_dz_tot(int ref) { return slot_size(ref, &TEX_obj::depth); }

bool tman_class::tex_loaded(int ref)
{
	UTL_cs_guard g(&lock_);
	const TEX_obj* o = slot(ref);
	return o && o->loaded();
}

void tman_class::bind_ref(int ref, int unit)
{
	TEX_obj* obj = get_known_obj(ref);
	if (!obj) {
		char v[64];
		snprintf(v, sizeof(v), "ref=%6.0f", static_cast<double>(ref));
		RADAVI_alert("Null texture - how?", v, "", "", alert_mode_fatal_loc);
		return;
	}
	obj->bind(unit);
}

void tman_class::unload_texture(int ref)
{
	if (ref >= tex_ref_first_dynamic) {
		TEX_obj* o = get_known_obj(ref);
		char v[64];
		snprintf(v, sizeof(v), "%f", static_cast<double>(ref));
		RADAVI_alert("Error: dynamic textures should be released, not unloaded.", o ? o->name() : std::string(), v, "",
		             alert_mode_fatal_loc);
		return;  // its holders still point at it
	}
	TEX_obj* obj = nullptr;
	{
		UTL_cs_guard g(&lock_);
		obj = slot(ref);
		if (!obj)
			return;
		obj->nuke_all_refs();
		forget(obj);
	}
	if (obj == blank_ || obj == white_ || obj == black_) {
		if (obj == blank_)
			blank_ = nullptr;
		if (obj == white_)
			white_ = nullptr;
		if (obj == black_)
			black_ = nullptr;
	}
	delete obj;
}

void tman_class::purge_unused_texes()
{
	TEX_obj::delete_some_texes();
	std::vector<TEX_obj*> dead;
	{
		UTL_cs_guard g(&lock_);
		for (int i = tex_ref_first_dynamic; i < static_cast<int>(table_.size()); ++i) {
			TEX_obj* o = table_[i];
			if (o && !o->has_refs()) {
				forget(o);
				dead.push_back(o);
			}
		}
	}
	for (TEX_obj* o : dead)
		delete o;
}

void TEX_init()
{
	TEX_obj::set_main_thread();
	memset(s_scratch, 0x82, sizeof(s_scratch));
	tman.load_texture(0, tex_ref_blank, tex_opt_blank, 2, "scratch_array-blank_gray");
	tman.load_texture(3, tex_ref_black, tex_opt_builtin, 2, "RESOURCE:black.png");
	tman.load_texture(3, tex_ref_black_opaque, tex_opt_builtin, 2, "RESOURCE:black_opaque.png");
	tman.load_texture(3, tex_ref_white, tex_opt_builtin, 2, "RESOURCE:white.png");
	tman.blank_ = tman.get_known_obj(tex_ref_blank);
	tman.white_ = tman.get_known_obj(tex_ref_white);
	tman.black_ = tman.get_known_obj(tex_ref_black);
	// Lines are drawn across this texture so their edges fade over one texel.
	static const unsigned char ramp[4 * 4] = {255, 255, 255, 0, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 0};
	tman.load_texture_mem_idx(tex_ref_lines, 0x806402, ramp, 4, 1, "lines");
}
