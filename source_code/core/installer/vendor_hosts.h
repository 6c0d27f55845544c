#pragma once
// The maker's endpoints: compiled-in defaults under the reserved ".example" domain, each
// overridable from the command line (--lookup_host=, --vendor_site=, --support_email=,
// --analytics_host=, --analytics_id=). A value that is empty or holds a blank, a control
// character or a "/" is logged and the default kept.
#include <string>
#include "core/installer/sim_info.h"

std::string vendor_lookup_host();     // host[:port] of the lookup server
std::string vendor_site_name();       // shown in messages
std::string vendor_support_email();   // shown in messages
std::string vendor_analytics_host();  // host[:port] that receives usage beacons
std::string vendor_tracking_id();     // the analytics property id

#define VENDOR_LOOKUP_DIR "/_lookup_11_/"
#define VENDOR_SERVER_LIST_PATH VENDOR_LOOKUP_DIR "server_list_11.txt"
#define VENDOR_PAGE_NEW_INSTALLER "new_full_installer_400.html"
#define VENDOR_PAGE_ABOUT_ANALYTICS "installer_about_analytics.html"
#define VENDOR_PAGE_SUPPORT "installer_support_400.html"
#define VENDOR_PAGE_BETAS "installer_betas.html"

// "http://" + lookup host + path (path starts with "/").
std::string vendor_lookup_url(const std::string& path);
std::string vendor_server_list_url();
// A web page under the lookup folder, e.g. vendor_page_url(VENDOR_PAGE_SUPPORT).
std::string vendor_page_url(const std::string& page);
// "http://" + host + path + install name + "/directory.txt.zip".
std::string mirror_manifest_url(const UTL_server_info& server, const std::string& install_name);
