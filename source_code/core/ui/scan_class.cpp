#include "core/ui/scan_class.h"

#include "core/files/ouf_open.h"
#include "core/files/xmap_class.h"
#include "core/ui/UTL_cmdline.h"

#include <cstdio>
#include <cstdlib>

namespace {

std::string format_number(const char* format, double v)
{
	char buf[512];  // %f of the largest double fits in 320 bytes
	std::snprintf(buf, sizeof buf, format, v);
	return buf;
}

void read_values(const std::string& path, std::map<std::string, std::string>& values)
{
	xmap_class map(path);
	static const int versions[] = {scan_pref_version, 0};
	if (!map.check_file(xmap_kind_text, versions, nullptr, nullptr))
		return;
	while (!map.at_end()) {
		size_t line_start = map.tell();
		std::string word;
		map.TXT_str_scan_space(&word);
		if (word.empty() || word == "UNSAFE" || word == "AUTO_UPDATE") {
			map.skip_line();
		} else {
			// Exactly one blank separates key and value; any further blanks belong to the value.
			if (xmap_class::is_blank(map.peek()))
				map.BIN_chr_scan();
			std::string value;
			map.TXT_str_scan_to_eoln(&value);
			values[word] = value;
		}
		if (map.tell() == line_start)  // a NUL that skip_line cannot pass
			map.seek(line_start + 1);
	}
}

}  // namespace

scan_class::scan_class(const std::string& path, int mode, bool unsafe) : mode_(mode)
{
	if (mode_ == mode_write) {
		if (ouf_open(out_, path, ouf_kind_text, scan_pref_version, "no-copyright-string") && unsafe)
			out_ << "UNSAFE\n";
	} else if (mode_ == mode_read) {
		read_values(path, values_);
	}
}

scan_class::~scan_class()
{
	if (out_.is_open())
		out_.close();
}

int scan_class::fetch_or_get(const std::string& value_text, std::string& result_text, const std::string& key)
{
	if (mode_ == mode_write) {
		if (out_.is_open())
			out_ << prefix_ << key << ' ' << value_text << '\n';
		return 0;
	}
	if (mode_ != mode_read)
		return 1;
	std::string override_key = "--pref:" + key;
	if (cmdline.has_option(override_key.c_str())) {
		result_text = cmdline.get_option(override_key.c_str());
		return 1;
	}
	std::map<std::string, std::string>::const_iterator it = values_.find(prefix_ + key);
	if (it == values_.end())
		return 0;
	result_text = it->second;
	return 1;
}

int scan_class::int_io(int* v, const std::string& key)
{
	std::string text;
	if (mode_ == mode_write) {
		fetch_or_get(std::to_string(*v), text, key);
		return 0;
	}
	if (mode_ != mode_read || !fetch_or_get("", text, key))
		return 0;
	*v = std::atoi(text.c_str());
	return 1;
}

int scan_class::dob_io(double* v, const std::string& key)
{
	std::string text;
	if (mode_ == mode_write) {
		fetch_or_get(format_number("%lf", *v), text, key);
		return 0;
	}
	if (mode_ != mode_read || !fetch_or_get("", text, key))
		return 0;
	*v = std::atof(text.c_str());
	return 1;
}

int scan_class::flt_io(float* v, const std::string& key)
{
	std::string text;
	if (mode_ == mode_write) {
		fetch_or_get(format_number("%f", *v), text, key);
		return 0;
	}
	if (mode_ != mode_read || !fetch_or_get("", text, key))
		return 0;
	*v = static_cast<float>(std::atof(text.c_str()));
	return 1;
}

int scan_class::enum_io(int* v, const enum_pair_t* table, int count, const std::string& key)
{
	std::string text;
	if (mode_ == mode_write) {
		for (int i = 0; i < count; ++i)
			if (table[i].value == *v) {
				fetch_or_get(table[i].name, text, key);
				break;
			}
		return 0;
	}
	if (mode_ != mode_read || !fetch_or_get("", text, key))
		return 0;
	for (int i = 0; i < count; ++i)
		if (text == table[i].name) {
			*v = table[i].value;
			return 1;
		}
	return 0;
}

int scan_class::array_io(float* v, int count, const std::string& key)
{
	int any = 0;
	push_prefix(key);
	for (int i = 0; i < count; ++i)
		any |= flt_io(&v[i], std::to_string(i));
	pop_prefix();
	return any;
}

int scan_class::array_io(int* v, int count, const std::string& key)
{
	int any = 0;
	push_prefix(key);
	for (int i = 0; i < count; ++i)
		any |= int_io(&v[i], std::to_string(i));
	pop_prefix();
	return any;
}

int scan_class::vector_io(std::vector<float>& v, const std::string& key)
{
	return array_io(v.data(), static_cast<int>(v.size()), key);
}

void scan_class::push_prefix(const std::string& name)
{
	prefix_stack_.push_back(prefix_);
	prefix_ += name + "/";
}

void scan_class::push_prefix(int index) { push_prefix(std::to_string(index)); }

void scan_class::pop_prefix()
{
	if (prefix_stack_.empty())
		return;
	prefix_ = prefix_stack_.back();
	prefix_stack_.pop_back();
}
