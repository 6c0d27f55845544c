#include "core/ui/stg.h"

#include <type_traits>

// Kept plain data: zero-initialised before any code runs, and cleared or copied whole.
static_assert(std::is_trivially_copyable_v<stg_record> && std::is_standard_layout_v<stg_record>);

stg_record stg;
