#include "core/sockets/UTL_http.h"

#include <atomic>
#include <curl/curl.h>
#include <mutex>
#include <sys/utsname.h>

#include "core/sockets/UTL_http_internal.h"
#include "core/ui/error_str_curl.h"
#include "core/ui/system_facts.h"

namespace {

std::once_flag s_global_once;
std::atomic<bool> s_inited{false};
std::atomic<bool> s_verbose{false};
UTL_critical_section s_tag_lock = 0;
std::string s_platform_tag;

const char* curl_text(int code) { return curl_easy_strerror(static_cast<CURLcode>(code)); }

void str_erase_all(std::string& s, const std::string& what)
{
	for (size_t at; (at = s.find(what)) != std::string::npos;) s.erase(at, what.size());
}

// The system's version text: the distribution's name, else the kernel release.
std::string system_version_text()
{
	std::string version = system_facts_read().os_pretty_name;
	if (version.empty()) {
		struct utsname u;
		if (uname(&u) == 0) version = u.release;
	}
	return version;
}

}  // namespace

void UTL_http_global_setup()
{
	std::call_once(s_global_once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool UTL_http_verbose() { return s_verbose.load(); }
void UTL_http_set_verbose(bool on) { s_verbose.store(on); }

void UTL_http_init()
{
	UTL_http_global_setup();
	error_str_set_curl_text(&curl_text);
	UTL_http_set_platform_tag(UTL_http_platform_tag_for(system_version_text()));
	s_inited.store(true);
}

bool UTL_http_is_inited() { return s_inited.load(); }

void UTL_http_shutdown()
{
	if (s_inited.exchange(false)) curl_global_cleanup();
}

void UTL_http_encode_url(std::string& url)
{
	for (size_t at; (at = url.find(' ')) != std::string::npos;) url.replace(at, 1, "%20");
}

bool UTL_http_is_error_bad_net(err_code_t code)
{
	if (err_domain(code) != err_dom_curl) return false;
	switch (err_value(code)) {
	case CURLE_COULDNT_RESOLVE_PROXY:
	case CURLE_COULDNT_RESOLVE_HOST:
	case CURLE_COULDNT_CONNECT:
	case CURLE_PARTIAL_FILE:
	case CURLE_OPERATION_TIMEDOUT:
	case CURLE_GOT_NOTHING:
	case CURLE_SEND_ERROR:
	case CURLE_RECV_ERROR: return true;
	default: return false;
	}
}

std::string UTL_http_platform_tag_for(const std::string& system_version)
{
	std::string v = system_version;
	str_erase_all(v, "Version");
	str_erase_all(v, "Build");
	str_erase_all(v, " ");
	char buf[256];
	snprintf(buf, sizeof buf, "LIN%s_%dbit", v.c_str(), static_cast<int>(sizeof(void*) * 8));
	return buf;
}

void UTL_http_set_platform_tag(const std::string& tag)
{
	UTL_cs_guard g(&s_tag_lock);
	s_platform_tag = tag;
}

std::string UTL_http_user_agent(int beta)
{
	std::string tag;
	{
		UTL_cs_guard g(&s_tag_lock);
		tag = s_platform_tag;
	}
	if (tag.empty()) {
		tag = UTL_http_platform_tag_for(system_version_text());
		UTL_http_set_platform_tag(tag);
	}
	return std::string("Skyvane Installer 4.01r1") + (beta ? "-beta-" : "-final-") + tag;
}
