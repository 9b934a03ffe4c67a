// The logs of the scene tests, fed by the null backend under the real game:
// play_sound_effect plays the effect's wave on the silent sound, and
// load_records and save_records read and replace the record file in the
// memory file system.

#include <gtest/gtest.h>

#include "content/records.h"
#include "platform/null/null_backend.h"
#include "platform/window.h"
#include "scenes/scenes.h"
#include "shell/sound_stage.h"
#include "test_support.h"

std::vector<std::int32_t> sound_log;
std::vector<RecordCall> record_log;
bool records_file_present = false;
double records_file_best[2] = {3599, 3599};

namespace {

// The effects' wave files: "game/wave00.wav" .. "game/wave04.wav", each a
// wave of one silent sample.
std::string wave_name(int effect) { return std::string("game/wave0") + char('0' + effect) + ".wav"; }
const MemoryFileBytes kWave = {
    'R', 'I', 'F', 'F', 37, 0, 0, 0, 'W', 'A', 'V', 'E',
    'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x22, 0x56, 0, 0, 1, 0, 8, 0,  // PCM, 22050 Hz, 8 bits
    'd', 'a', 't', 'a', 1, 0, 0, 0, 0x80};

void log_record_call(const char* name) {
    record_log.push_back(RecordCall{name, game.current_scene, game.scatter_seconds, game.pieces_left,
                                    sound_log.size(), {game.best_seconds[0], game.best_seconds[1]}, game.new_record});
}

// A record file the test describes is what the game finds when it opens it;
// else whatever the game last saved, if anything.
void lay_out_record_file() {
    if (!records_file_present) return;
    MemoryFileBytes bytes;
    for (double best : records_file_best) {
        const int minutes = static_cast<int>(best / 60);
        bytes.push_back(static_cast<std::uint8_t>(minutes));
        bytes.push_back(static_cast<std::uint8_t>(best - 60 * minutes));
    }
    put_memory_file(records_detail::kRecordPath, bytes);
}

}  // namespace

void start_platform_logs() {
    static const bool sound_started = [] {
        // The loader finds the waves in the current directory, as the game's.
        char directory[260];
        GetCurrentDirectoryA(sizeof directory, directory);
        for (int effect = 0; effect < kSoundEffectCount; ++effect)
            put_memory_file(std::string(directory) + "/" + wave_name(effect), kWave);
        return SUCCEEDED(init_sound());
    }();
    ASSERT_TRUE(sound_started);
    set_null_sound_observer([](const std::string& wave) {
        for (int effect = 0; effect < kSoundEffectCount; ++effect)
            if (wave == wave_name(effect)) sound_log.push_back(effect);
    });
    set_memory_file_observer([](MemoryFileEvent event, const std::string& path) {
        if (path != records_detail::kRecordPath) return;
        if (event == MemoryFileEvent::Opening) {
            lay_out_record_file();
            log_record_call("load_records");
        } else {
            log_record_call("save_records");
        }
    });
    remove_memory_file(records_detail::kRecordPath);
}
