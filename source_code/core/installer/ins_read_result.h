#pragma once
// Results of the manifest, server-list and DVD description readers. A download job carries
// them as err_make(err_dom_read, result).
#include <cstddef>

enum ins_read_result {
	ins_read_ok = 0,
	ins_read_not_read = 1,     // DVD: the install name was already known, or the disc names none
	ins_read_cannot_open = 3,  // the file could not be opened or mapped
	ins_read_new_format = 5,   // wrong first byte, version or keyword: the file is newer than the installer
	ins_read_no_dvd = 6,       // no mounted disc holds the DVD key file
	ins_read_old_dvd = 7,      // a disc of the older format
	ins_read_bad_dvd = 8,      // the DVD description has a wrong header
	ins_read_bad_path = 9,     // a manifest path that must never reach the file system
	ins_read_too_large = 10,   // the file is larger than ins_read_max_bytes; refused unparsed
	ins_read_bad_value = 11    // a size that is negative or not finite, or a scenery box off the grid
};

// No genuine server list, manifest or DVD description comes near this; a mirror that sends
// more is broken or hostile.
constexpr size_t ins_read_max_bytes = size_t(64) << 20;
