#include "core/installer/sim_info.h"

sim_info_struct sim_info;
UTL_server_info_list server_list;
