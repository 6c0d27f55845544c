#pragma once
// Minizip results folded into the zip error domain.
#include "core/ui/err_code.h"

inline err_code_t zip_err(int unz_result) { return err_make(err_dom_zip, unz_result); }

constexpr err_code_t zip_err_open = 0x50004E21u;        // the archive could not be opened
constexpr err_code_t zip_err_short_read = 0x50004E22u;  // an entry gave fewer bytes than it announced
constexpr err_code_t zip_err_end_of_list = 0x5FFFFF9Cu; // UNZ_END_OF_LIST_OF_FILE
constexpr err_code_t zip_err_bad_zip = 0x5FFFFF99u;     // UNZ_BADZIPFILE, also for unsafe entry names
