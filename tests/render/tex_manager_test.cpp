// The texture manager: sharing by path, reference counts, purging, manual references, the
// blank texture, and OpenGL names of textures destroyed off the main thread.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "core/OGL/OGL_gl.h"
#include "core/OGL/OGL_state.h"
#include "core/TEX/TEX_codecs.h"
#include "core/TEX/tman_class.h"
#include "draw_gl_env.h"

namespace {

std::string write_image(const std::string& name, int w, int h, unsigned char v)
{
	std::vector<unsigned char> px(w * h * 4, v);
	const std::string path = draw_test_dir() + name;
	EXPECT_TRUE(write_png_to_disk(path, w, h, 4, px.data()));
	return path;
}

unsigned bound_2d()
{
	GLint n = 0;
	glGetIntegerv(GL_TEXTURE_BINDING_2D, &n);
	return static_cast<unsigned>(n);
}

TEST(TexManager, BuiltInsAreLoaded)
{
	NEED_GL(env);
	struct builtin_case {
		int ref;
		int w, h;
	} cases[] = {{tex_ref_black, 8, 8}, {tex_ref_black_opaque, 8, 8}, {tex_ref_white, 8, 8}, {tex_ref_blank, 2, 2}};
	for (const builtin_case& c : cases) {
		SCOPED_TRACE(c.ref);
		EXPECT_TRUE(tman.tex_loaded(c.ref));
		EXPECT_EQ(tman.tex_dx_tot(c.ref), c.w);
		EXPECT_EQ(tman.tex_dy_tot(c.ref), c.h);
	}
	EXPECT_EQ(tman.white_obj(), tman.get_known_obj(tex_ref_white));
	EXPECT_NE(tman.blank_gl_name(), 0u);
	EXPECT_EQ(tman.get_known_obj(-1), nullptr);
	EXPECT_EQ(tman.tex_dx_tot(100000), 0.0f);
}

TEST(TexManager, SamePathSharesOneObjectUntilPurged)
{
	NEED_GL(env);
	const std::string path = write_image("shared.png", 4, 4, 200);
	TEX_obj* a = tman.load_texture_obj(4, tex_opt_resource, 0, path);
	ASSERT_NE(a, nullptr);
	// A path with a "folder/../" pair names the same file.
	TEX_obj* b = tman.load_texture_obj(4, tex_opt_resource, 0, draw_test_dir() + "x/../shared.png");
	EXPECT_EQ(a, b);
	EXPECT_EQ(a->ref_count(), 2);
	EXPECT_GE(a->ref(), tex_ref_first_dynamic);
	const int slot = a->ref();
	a->release_kill();
	EXPECT_EQ(tman.get_known_obj(slot), a);
	b->release_kill();
	tman.purge_unused_texes();
	EXPECT_EQ(tman.get_known_obj(slot), nullptr);
	// The freed slot is the lowest free one, so the next dynamic texture takes it.
	TEX_obj* c = tman.load_texture_mem_obj(0x806402, nullptr, 2, 2, "next");
	EXPECT_EQ(c->ref(), slot);
	c->release_kill();
	// And the path loads afresh.
	TEX_obj* d = tman.load_texture_obj(4, tex_opt_resource, 0, path);
	EXPECT_EQ(d->ref_count(), 1);
	EXPECT_TRUE(d->loaded());
	d->release_kill();
}

TEST(TexManager, PurgeFreesOnlyUnreferencedDynamicTextures)
{
	NEED_GL(env);
	TEX_obj* keep = tman.load_texture_mem_obj(0x806402, nullptr, 2, 2, "keep");
	TEX_obj* drop = tman.load_texture_mem_obj(0x806402, nullptr, 2, 2, "drop");
	const int keep_ref = keep->ref(), drop_ref = drop->ref();
	drop->nuke_all_refs();  // nobody holds it, but it was never released
	tman.purge_unused_texes();
	EXPECT_EQ(tman.get_known_obj(keep_ref), keep);
	EXPECT_EQ(tman.get_known_obj(drop_ref), nullptr);
	keep->release_kill();
	EXPECT_EQ(tman.get_known_obj(keep_ref), nullptr);
}

TEST(TexManager, ManualReferencesLoadReplaceAndUnload)
{
	NEED_GL(env);
	const std::string small = write_image("small.png", 4, 2, 10), wide = write_image("wide.png", 16, 2, 20);
	const int ref = 200;
	ASSERT_EQ(tman.load_texture(4, ref, tex_opt_resource, 0, small), ref);
	TEX_obj* first = tman.get_known_obj(ref);
	EXPECT_EQ(tman.tex_dx_tot(ref), 4.0f);
	// Loading another file at the same reference reuses the object.
	ASSERT_EQ(tman.load_texture(4, ref, tex_opt_resource, 0, wide), ref);
	EXPECT_EQ(tman.get_known_obj(ref), first);
	EXPECT_EQ(tman.tex_dx_tot(ref), 16.0f);
	tman.unload_texture(ref);
	EXPECT_EQ(tman.get_known_obj(ref), nullptr);
	EXPECT_EQ(tman.load_texture(4, ref, tex_opt_resource, 0, ""), 0);
}

TEST(TexManager, PaddedImagesReportTheirDrawnFraction)
{
	NEED_GL(env);
	const std::string path = write_image("odd.png", 6, 3, 77);
	TEX_obj* t = tman.load_texture_obj(4, tex_opt_resource, 0, path);
	EXPECT_EQ(t->width(), 6);
	EXPECT_EQ(t->height(), 3);
	EXPECT_EQ(t->tex_width(), 8);
	EXPECT_EQ(t->tex_height(), 4);
	EXPECT_FLOAT_EQ(t->used_s(), 0.75f);
	EXPECT_FLOAT_EQ(t->used_t(), 0.75f);
	t->release_kill();
}

TEST(TexManager, UnloadedTexturesBindTheBlankOne)
{
	NEED_GL(env);
	TEX_obj* missing = tman.load_texture_obj(4, tex_opt_resource, 0, draw_test_dir() + "nothing_here.png");
	ASSERT_NE(missing, nullptr);
	EXPECT_FALSE(missing->loaded());
	OGL_state_forget_bindings();
	missing->bind(0);
	EXPECT_EQ(bound_2d(), tman.blank_gl_name());
	// A texture that loaded binds its own name, on any unit.
	TEX_obj* white = tman.white_obj();
	white->bind(3);
	GLint active = 0;
	glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
	EXPECT_EQ(active, GL_TEXTURE0);
	glActiveTexture(GL_TEXTURE3);
	EXPECT_EQ(bound_2d(), white->gl_name());
	glActiveTexture(GL_TEXTURE0);
	missing->release_kill();
}

TEST(TexManager, TooLargeImagesAreRefused)
{
	NEED_GL(env);
	const std::string path = write_image("huge.png", 4097, 1, 1);
	TEX_obj* t = tman.load_texture_obj(4, tex_opt_resource, 0, path);
	ASSERT_NE(t, nullptr);
	EXPECT_FALSE(t->loaded());
	t->release_kill();
}

TEST(TexManager, ResolutionRatioShrinksOnlyTexturesThatAllowIt)
{
	NEED_GL(env);
	const std::string path = write_image("ratio.png", 16, 16, 50);
	tman.set_resolution_index(3);  // a quarter
	TEX_obj* scaled = tman.load_texture_obj(4, 0x7402, 0, path);
	TEX_obj* full = tman.load_texture_obj(4, tex_opt_resource, 0, path + "/../ratio.png");
	tman.set_resolution_index(-1);
	EXPECT_EQ(scaled, full);  // the same path shares, whatever the options of the later request
	scaled->release_kill();
	full->release_kill();
	tman.purge_unused_texes();
	tman.set_resolution_index(3);
	TEX_obj* quarter = tman.load_texture_obj(4, 0x7402, 0, path);
	tman.set_resolution_index(-1);
	EXPECT_EQ(quarter->width(), 4);
	quarter->release_kill();
}

TEST(TexManager, TexturesDestroyedOffTheMainThreadAreDeletedOnIt)
{
	NEED_GL(env);
	TEX_obj* t = tman.load_texture_mem_obj(0x806402, nullptr, 4, 4, "worker's");
	const unsigned name = t->gl_name();
	ASSERT_TRUE(glIsTexture(name));
	std::thread worker([t] { t->release_kill(); });
	worker.join();
	EXPECT_EQ(TEX_obj::pending_kills(), 1);
	EXPECT_TRUE(glIsTexture(name)) << "deleted off the main thread";
	tman.purge_unused_texes();  // runs the deferred deletions first
	EXPECT_EQ(TEX_obj::pending_kills(), 0);
	EXPECT_FALSE(glIsTexture(name));
}

TEST(TexManager, InvalidLoadTimeOrReferenceIsFatal)
{
	NEED_GL(env);
	EXPECT_EXIT(tman.load_texture(4, 10, tex_opt_resource, 3, "RESOURCE:white.png"), ::testing::ExitedWithCode(1), "");
	EXPECT_EXIT(tman.load_texture(4, 388, tex_opt_resource, 0, "RESOURCE:white.png"), ::testing::ExitedWithCode(1), "");
}

}  // namespace
