#include "core/platform/wmgr_hooks.h"

namespace {
wmgr_toolkit_hooks s_toolkit;
wmgr_render_hooks s_render;
wmgr_translate_fn s_translate = nullptr;
}  // namespace

void wmgr_set_toolkit_hooks(const wmgr_toolkit_hooks& hooks) { s_toolkit = hooks; }
void wmgr_set_render_hooks(const wmgr_render_hooks& hooks) { s_render = hooks; }
const wmgr_toolkit_hooks& wmgr_toolkit() { return s_toolkit; }
const wmgr_render_hooks& wmgr_render() { return s_render; }

void wmgr_set_translate_hook(wmgr_translate_fn fn) { s_translate = fn; }
const char* wmgr_translate(const char* english) { return s_translate ? s_translate(english) : english; }
