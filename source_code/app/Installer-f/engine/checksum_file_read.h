#pragma once
// The folder scan's whole-file read: like FILE_disk_to_buffer_uncached (the pages it brings into
// the file cache are dropped again), but into a buffer that is reused from file to file.
#include <string>
#include "app/Installer-f/engine/byte_buffer.h"
#include "core/ui/err_code.h"

// data = the whole file (its capacity is kept and grown as needed); emptied on failure.
err_code_t checksum_read_file(const std::string& path, ins_byte_vector& data);
