// Minutes of play on the game clock, through the real shell, window layer,
// device and fonts (headless), driven by random input, with and without
// window resizes; the resident memory must stay flat once the game has
// warmed up (glyph pages made, caches filled), and the game must keep its
// invariants and keep running. The suite plays three minutes; with
// POKOMARU_LONG_SOAK=1 (bench.sh sets it) ten.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "platform/test_hooks.h"
#include "platform/window.h"
#include "scenes/scenes.h"
#include "shell/frame_pacing.h"
#include "shell/shell_loop.h"
#include "scenes/piece_set.h"
#include "state/game_state.h"
#include "support/game_harness.h"
#include "support/game_invariants.h"

namespace {

long resident_kib() {
    long pages_total = 0, pages_resident = 0;
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return -1;
    const int n = std::fscanf(f, "%ld %ld", &pages_total, &pages_resident);
    std::fclose(f);
    return n == 2 ? pages_resident * (sysconf(_SC_PAGESIZE) / 1024) : -1;
}

// The main loop as the shell runs it, with frames as slow as the game still
// updates at (three to a tenth of a second), so that the game clock covers
// ten minutes in about 18000 frames; of the frames without a message before
// them only every tenth is drawn, to keep the wall time short (the drawing
// path still runs a few thousand times, enough for any growth to show).
int frame_count = 0;
void wait_game_ms(unsigned ms) {
    const unsigned until = manual_clock_ms() + ms;
    while (harness::game_running() && static_cast<int>(manual_clock_ms() - until) < 0) {
        advance_manual_clock(28);  // the frame's own work; the pacing sleep then falls to 5 ms
        MSG waiting;
        if (PeekMessageA(&waiting, nullptr, 0, 0, 0) || ++frame_count % 10 == 0) {
            harness::frame();  // every waiting message, then a whole frame with its drawing
            continue;
        }
        begin_frame(shell_pacing, GetTickCount());
        game.frame_seconds = shell_pacing.frame_seconds;
        Sleep(shell_pacing.sleep_ms);
        if (update_allowed(shell_pacing)) update_frame();
        check_device();
    }
}

}  // namespace

unsigned soak_minutes() {
    const char* v = std::getenv("POKOMARU_LONG_SOAK");
    return v && *v == '1' ? 10 : 3;
}

void soak(bool with_resizes, long allowed_growth_kib) {
    setenv("POKOMARU_REFUSE_RENDERERS", "accelerated", 1);  // the software renderer: the cheaper one headless
    ASSERT_TRUE(harness::start_game(7));
    unsetenv("POKOMARU_REFUSE_RENDERERS");
    wait_game_ms(500);  // the pacing lets updates through and the window is measured
    std::mt19937 random(20240611);
    auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };

    const unsigned minutes = soak_minutes();
    const unsigned kTotalMs = minutes * 60 * 1000;
    const unsigned kWarmUpMs = 60 * 1000;  // the first clear screens and their glyphs
    const unsigned kSampleEveryMs = (kTotalMs - kWarmUpMs) / 20;
    // Warm-up: every piece of both sets held once with its info panel shown
    // in full, so that every glyph of the catalogue is in the fonts' caches
    // (which rightly grow until then).
    for (int mode : {Municipality, Mascot}) {
        harness::escape();
        wait_game_ms(100);
        harness::move(harness::client_x(mode == Municipality ? 384 : 640), harness::client_y(632));
        wait_game_ms(100);
        harness::press();
        wait_game_ms(100);
        harness::release();
        wait_game_ms(2500);
        const PieceSet s = current_piece_set();
        for (int n = 0; n < s.count && game.current_scene == Play; ++n) {
            const PieceRecord& p = s.pieces[s.order[n]];
            harness::move(harness::client_x(p.x + p.width / 2), harness::client_y(p.y + p.height / 2));
            wait_game_ms(100);
            harness::press();
            wait_game_ms(mode == Municipality ? 1200 : 3000);
            harness::release();
            wait_game_ms(50);
        }
    }
    harness::escape();

    const unsigned start = manual_clock_ms();
    unsigned next_sample = start + kWarmUpMs;
    std::vector<long> samples;
    int games_started = 0, scenes_seen[4] = {};
    std::int32_t last_scene = game.current_scene;

    while (harness::game_running() && manual_clock_ms() - start < kTotalMs) {
        const int what = uniform(0, 99);
        if (what < 30) {
            // Onto a piece of the set in play, as a player reaches for one.
            const PieceSet s = current_piece_set();
            const PieceRecord& p = s.pieces[s.order[uniform(0, s.count - 1)]];
            harness::move(harness::client_x(p.x + p.width / 2), harness::client_y(p.y + p.height / 2));
        } else if (what < 45) {
            harness::move(harness::client_x(uniform(0, 1023)), harness::client_y(uniform(0, 767)));
        } else if (what < 55) {
            // A mode button, the play-again button or the hint button.
            static const int buttons[][2] = {{384, 632}, {640, 632}, {512, 632}, {990, 32}};
            const auto& b = buttons[uniform(0, 3)];
            harness::move(harness::client_x(b[0]), harness::client_y(b[1]));
        } else if (what < 70) {
            harness::press();
        } else if (what < 85) {
            harness::release();
        } else if (what < 87) {
            harness::escape();
        } else if (what < 88) {
            if (with_resizes) harness::resize(uniform(320, 1600), uniform(240, 1200));
        } else if (what < 89) {
            harness::activate(uniform(0, 3) != 0);
        } else {
            harness::activate(true);
        }
        wait_game_ms(static_cast<unsigned>(uniform(20, 400)));
        if (const char* broken = broken_game_invariant()) {
            ADD_FAILURE() << "the game state breaks a rule: " << broken;
            break;
        }

        if (game.current_scene != last_scene) {
            if (game.current_scene == Scatter) ++games_started;
            last_scene = game.current_scene;
        }
        ++scenes_seen[game.current_scene & 3];
        if (manual_clock_ms() - start >= next_sample - start) {
            // Samples are taken at the window's first size: a larger window
            // rightly holds larger surfaces while it is large.
            harness::resize(1024, 768);
            wait_game_ms(200);
            samples.push_back(resident_kib());
            next_sample += kSampleEveryMs;
        }
    }
    ASSERT_TRUE(harness::game_running()) << "the game ended during the soak";
    harness::stop_game();

    ASSERT_GE(samples.size(), 10u);
    EXPECT_GT(games_started, static_cast<int>(minutes / 3)) << "the random player hardly played";
    EXPECT_GT(scenes_seen[Play], 0);
    long lowest = samples.front(), highest = samples.front();
    for (long s : samples) {
        lowest = std::min(lowest, s);
        highest = std::max(highest, s);
    }
    std::printf("resident memory samples (KiB):");
    for (long v : samples) std::printf(" %ld", v);
    std::printf("\n");
    std::printf("resident memory after warm-up: %ld .. %ld KiB over %zu samples; %d games started\n", lowest,
                highest, samples.size(), games_started);
    EXPECT_LT(highest - samples.front(), allowed_growth_kib) << "resident memory grew by " << (highest - samples.front())
                                                   << " KiB during the soak";
}

TEST(Soak, RandomPlayKeepsMemoryFlat) { soak(false, 3 * 1024); }

// The window resized now and then (sizes between 320 x 240 and 1600 x
// 1200): every size's surfaces are freed back to the system, so memory
// sampled at the first size again stays flat.
TEST(Soak, RandomPlayWithResizesKeepsMemoryFlat) { soak(true, 3 * 1024); }
