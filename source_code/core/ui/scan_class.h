#pragma once
// Reader-writer of a preference file of key and value lines. One object serves one read or
// one write; typed operations move a variable to or from its line, so one routine listing the
// keys both reads and writes a file.
#include <fstream>
#include <map>
#include <string>
#include <vector>

struct enum_pair_t {
	const char* name;  // text stored in the file
	int value;
};

class scan_class {
public:
	enum { mode_read = 0, mode_write = 1 };

	// Write mode opens (creates) the file and writes its header; read mode takes in every value
	// of a file whose header is good, and nothing from any other file.
	scan_class(const std::string& path, int mode, bool unsafe);
	~scan_class();
	scan_class(const scan_class&) = delete;
	scan_class& operator=(const scan_class&) = delete;

	// Write: writes prefix + key, " ", value_text and returns 0. Read: "--pref:" + key on the
	// command line wins, else prefix + key from the file; 1 when result_text was set.
	int fetch_or_get(const std::string& value_text, std::string& result_text, const std::string& key);

	// Each writes the variable (write mode) or updates it only when the key was found (read
	// mode), and returns whether it was updated.
	int int_io(int* v, const std::string& key);
	int dob_io(double* v, const std::string& key);
	int flt_io(float* v, const std::string& key);
	// Stored by the name of the matching pair; an unknown value writes nothing, an unknown name
	// leaves the variable as it was.
	int enum_io(int* v, const enum_pair_t* table, int count, const std::string& key);
	// Element i under key + "/" + i. A vector keeps its length, which is not stored.
	// The result is 1 when any element was updated.
	int array_io(float* v, int count, const std::string& key);
	int array_io(int* v, int count, const std::string& key);
	int vector_io(std::vector<float>& v, const std::string& key);

	void push_prefix(const std::string& name);
	void push_prefix(int index);
	void pop_prefix();

	int mode() const { return mode_; }
	bool is_write() const { return mode_ == mode_write; }
	bool is_read() const { return mode_ == mode_read; }

private:
	std::ofstream out_;
	int mode_;
	std::map<std::string, std::string> values_;
	std::vector<std::string> prefix_stack_;
	std::string prefix_;
};

// The preference file's format version.
enum { scan_pref_version = 10 };
