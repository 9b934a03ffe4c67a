// What a frame, an update and start-up cost, on the real game run headless
// (SDL's offscreen video, dummy audio) with the software renderer, the way
// the game draws on a machine without a graphics card.
//
//   pokomaru_bench                       the frame and update benchmarks
//   pokomaru_bench --startup-child       one start-up in this process: prints
//                                        its time and the peak resident memory
//                                        after a short game (bench.sh spawns it)
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/graphics_objects.h"
#include "platform/test_hooks.h"
#include "scenes/game_state.h"
#include "scenes/scenes.h"
#include "support/game_harness.h"

namespace {

struct Set {
    PieceRecord* pieces;
    std::int32_t* order;
    int count;
};
Set current_set() {
    if (game.puzzle_mode == Mascot) return {game.mascot_pieces, game.mascot_order, kMascotPieces};
    return {game.municipality_pieces, game.municipality_order, kMunicipalityPieces};
}

void start_software_game() {
    // The accelerated renderer is refused: the software one draws.
    setenv("POKOMARU_REFUSE_RENDERERS", "accelerated", 1);
    if (!harness::start_game(3)) {
        std::fprintf(stderr, "the game did not start\n");
        std::exit(1);
    }
    harness::wait_ms(500);  // the pacing lets updates through and the window is measured
}

void click_logical(double x, double y) {
    harness::move(harness::client_x(x), harness::client_y(y));
    harness::wait_ms(100);
    harness::press();
    harness::wait_ms(100);
    harness::release();
    harness::wait_ms(100);
}

void start_mode(PuzzleMode mode) {
    click_logical(mode == Municipality ? 384 : 640, 632);
    harness::wait_ms(2500);  // the scatter
}

// Picks up the topmost loose piece and keeps holding it, so that the info
// panel is shown in full.
void hold_a_piece() {
    const Set s = current_set();
    const PieceRecord& p = s.pieces[s.order[0]];
    harness::move(harness::client_x(p.x + p.width / 2), harness::client_y(p.y + p.height / 2));
    harness::wait_ms(100);
    harness::press();
    harness::wait_ms(3000);
}

void place_every_piece() {
    for (int guard = 0; guard < 400 && game.current_scene == Play; ++guard) {
        const Set s = current_set();
        const int i = s.order[0];
        const PieceRecord& p = s.pieces[i];
        harness::move(harness::client_x(p.x + p.width / 2), harness::client_y(p.y + p.height / 2));
        harness::wait_ms(50);
        harness::press();
        harness::wait_ms(50);
        harness::move(harness::client_x(p.home_x + p.width / 2), harness::client_y(p.home_y + p.height / 2));
        harness::wait_ms(50);
        harness::release();
        harness::wait_ms(50);
    }
}

enum class Screen { Title, PlayMunicipality, PlayMascot, Clear };

void draw_benchmark(benchmark::State& state, Screen screen) {
    start_software_game();
    switch (screen) {
        case Screen::Title:
            harness::move(harness::client_x(384), harness::client_y(632));  // a lit button
            harness::wait_ms(200);
            break;
        case Screen::PlayMunicipality:
            start_mode(Municipality);
            hold_a_piece();
            break;
        case Screen::PlayMascot:
            start_mode(Mascot);
            hold_a_piece();
            break;
        case Screen::Clear:
            start_mode(Municipality);
            place_every_piece();
            harness::wait_ms(3000);  // the banner and the button
            break;
    }
    const std::int32_t scene = game.current_scene;
    for (auto _ : state) draw_frame();
    state.SetLabel(screen == Screen::Title   ? "title, both sets"
                   : screen == Screen::Clear ? "clear, banner complete"
                                             : "play, info panel shown");
    if ((screen == Screen::Clear) != (scene == Clear) || (screen == Screen::Title) != (scene == Title))
        state.SkipWithError("the game is not on the screen to be measured");
    harness::stop_game();
}

void BM_DrawFrame_Title(benchmark::State& s) { draw_benchmark(s, Screen::Title); }
void BM_DrawFrame_PlayMunicipality(benchmark::State& s) { draw_benchmark(s, Screen::PlayMunicipality); }
void BM_DrawFrame_PlayMascot(benchmark::State& s) { draw_benchmark(s, Screen::PlayMascot); }
void BM_DrawFrame_Clear(benchmark::State& s) { draw_benchmark(s, Screen::Clear); }

// One scene update of a mascot game with all 95 pieces loose and the pointer
// over none of them: the search runs over every piece each frame.
void BM_UpdateFrame_Play95Loose(benchmark::State& state) {
    start_software_game();
    start_mode(Mascot);
    harness::move(harness::client_x(512), harness::client_y(300));
    harness::wait_ms(100);
    game.frame_seconds = 1.0 / 60;
    int loose = 0;
    for (int i = 0; i < kMascotPieces; ++i) loose += game.mascot_pieces[i].state == Loose;
    for (auto _ : state) update_frame();
    if (game.current_scene != Play || loose != kMascotPieces) state.SkipWithError("not a play of 95 loose pieces");
    harness::stop_game();
}

BENCHMARK(BM_DrawFrame_Title)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawFrame_PlayMunicipality)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawFrame_PlayMascot)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawFrame_Clear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UpdateFrame_Play95Loose)->Unit(benchmark::kMicrosecond);

// Start-up in a fresh process: window, device, atlas decode and upload with
// its mip chain, sprite batch, the eight fonts, input, sound, catalogue, up
// to the first frame drawn and presented. Then a short mascot game, and the
// peak resident memory of the whole run.
int startup_child() {
    setenv("POKOMARU_REFUSE_RENDERERS", "accelerated", 1);
    const auto t0 = std::chrono::steady_clock::now();
    if (!harness::start_game(5)) return 1;  // start-up and the first frame
    const auto t1 = std::chrono::steady_clock::now();
    harness::wait_ms(500);
    start_mode(Mascot);
    hold_a_piece();
    harness::wait_ms(2000);
    harness::stop_game();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("startup_ms %.1f peak_rss_kib %ld\n", std::chrono::duration<double, std::milli>(t1 - t0).count(),
                usage.ru_maxrss);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--startup-child") == 0) return startup_child();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
