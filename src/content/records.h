// The record file game/data_save.dat: the best time of each mode.
#pragma once
void load_records();
void save_records();
