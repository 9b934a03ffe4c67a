// temporary: replaced by the content branch.
// The record file of best times, game/data_save.dat: read into and written
// from best_seconds.
#pragma once

void load_records();
void save_records();
