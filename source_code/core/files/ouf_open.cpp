#include "core/files/ouf_open.h"

#include <cstdint>

#include "core/files/file_ops.h"
#include "core/files/paths.h"
#include "core/ui/alert.h"

namespace {

bool try_open(std::ofstream& stream, const std::string& path, int kind, int version, const std::string& notice)
{
	if (stream.is_open())
		stream.close();
	stream.clear();
	if (kind == ouf_kind_binary) {
		stream.open(path, std::ios::out | std::ios::trunc | std::ios::binary);
		if (!stream.is_open())
			return false;
		uint32_t v = static_cast<uint32_t>(version);
		char header[5] = {'i', static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
		                  static_cast<char>((v >> 16) & 0xFF), static_cast<char>((v >> 24) & 0xFF)};
		stream.write(header, sizeof header);
	} else {
		stream.open(path, std::ios::out | std::ios::trunc);
		if (!stream.is_open())
			return false;
		stream << "I\n" << version << " version";
		if (notice != "no-copyright-string")
			stream << notice;
		stream << "\n";
	}
	return stream.good();
}

}  // namespace

bool ouf_open(std::ofstream& stream, std::string path, int kind, int version, const std::string& notice)
{
	if (kind != ouf_kind_binary && kind != ouf_kind_text) {
		RADAVI_alert("Bad ouf_open type!", path, "", "", alert_mode_fatal);
		return false;
	}
	set_path_to_full(path);
	for (size_t i = path.size() >= 3 ? path.size() - 3 : 0; i < path.size(); ++i)
		if (path[i] >= 'A' && path[i] <= 'Z')
			path[i] = static_cast<char>(path[i] - 'A' + 'a');

	if (try_open(stream, path, kind, version, notice))
		return true;
	std::string folder;
	get_path_with_path(folder, path);
	make_folder(folder);
	if (try_open(stream, path, kind, version, notice))
		return true;
	if (stream.is_open())
		stream.close();
	RADAVI_alert("The file could not be saved. Check that the directory still exists and is not flagged read-only.",
	             path, "The file may be flagged as read-only.",
	             "Change the permission on the file so it's not read-only, or create the folder listed in the file path.",
	             alert_mode_warning);
	return false;
}
