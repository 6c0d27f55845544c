#pragma once
// The one way the render layer reaches OpenGL (3.3 core, through libepoxy).
#include <epoxy/gl.h>
