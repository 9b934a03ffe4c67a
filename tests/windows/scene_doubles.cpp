// The Windows build of the scene tests: a recording player of the sound
// effects and recording doubles of load_records and save_records feed the
// logs that the null backend feeds on Linux (the hosted layer under it
// cannot be built against the Windows headers, and the real effects would
// play through DirectMusic). The record doubles take the place of the
// library's as long as nothing else in this test binary pulls in the record
// objects.

#include <gtest/gtest.h>

#include <cmath>

#include "content/catalogue.h"
#include "content/piece_geometry.h"
#include "content/records.h"
#include "state/platform_objects.h"
#include "scenes/sound_effects.h"
#include "platform/window.h"
#include "scenes/labels.h"
#include "scenes/scenes.h"
#include "shell/main_window.h"
#include "unit/scenes/test_support.h"

std::vector<std::int32_t> sound_log;
std::vector<RecordCall> record_log;
bool records_file_present = false;
double records_file_best[2] = {3599, 3599};

namespace {
void log_record_call(const char* name) {
    record_log.push_back(RecordCall{name, game.current_scene, game.scatter_seconds, game.pieces_left,
                                    sound_log.size(), {game.best_seconds[0], game.best_seconds[1]}, game.new_record});
}
}  // namespace

void load_records() {
    log_record_call("load_records");
    if (!records_file_present) return;
    game.best_seconds[0] = records_file_best[0];
    game.best_seconds[1] = records_file_best[1];
}

void save_records() { log_record_call("save_records"); }

void start_platform_logs() {
    set_sound_effect_player([](std::int32_t effect) { sound_log.push_back(effect); });
}
