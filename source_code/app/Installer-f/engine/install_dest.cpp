#include "app/Installer-f/engine/install_dest.h"

std::string dest_dir_path;
