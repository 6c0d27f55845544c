#include "core/platform/wmgr_input_record.h"

mnw_record mnw;

void mnw_new_turn()
{
	for (int b = 0; b < 3; ++b) mnw.down_this_turn[b] = mnw.up_this_turn[b] = 0;
	mnw.wheel_clicks = 0;
	mnw.key_went_down = 0;
	mnw.return_pressed = mnw.delete_pressed = mnw.escape_pressed = 0;
}
