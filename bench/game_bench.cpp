// What a frame, an update and start-up cost, on the real game run headless
// (SDL's offscreen video, dummy audio) with the software renderer, the way
// the game draws on a machine without a graphics card.
//
//   pokomaru_bench                       the frame and update benchmarks
//   pokomaru_bench --startup-child       one start-up in this process: prints
//                                        its time to the first presented frame
//                                        and the resident memory on the title
//                                        and in play (bench.sh spawns it)
//   pokomaru_bench --drag-child          ten seconds of dragging a piece on the
//                                        real clock: prints the CPU used
//
// The harness's video driver is offscreen unless POKOMARU_HARNESS_VIDEO
// names another (bench.sh runs the children under Xvfb with "x11").
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if __has_include("shell/graphics_stage.h")
#include "shell/graphics_stage.h"
#else
#include "platform/graphics_objects.h"
#endif
// The device's diagnostics moved from the SDL layer to the tests' support;
// either tree builds this file (bench.sh --before).
#if __has_include("support/hosted_device.h")
#include "support/hosted_device.h"
#elif __has_include("support/frame_check.h")
#include "support/frame_check.h"
#else
#include "platform/sdl/graphics_sdl.h"
#endif
#include "platform/test_hooks.h"
// The game state moved from scenes/ to a layer of its own below content.
#if __has_include("state/game_state.h")
#include "state/game_state.h"
#else
#include "scenes/game_state.h"
#endif
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

void go_to(Screen screen) {
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
}

const char* label_of(Screen screen) {
    return screen == Screen::Title   ? "title, both sets"
           : screen == Screen::Clear ? "clear, banner complete"
                                     : "play, a piece held, info panel shown";
}

bool on_screen(Screen screen) {
    const std::int32_t scene = game.current_scene;
    if (screen == Screen::Title) return scene == Title;
    if (screen == Screen::Clear) return scene == Clear;
    return scene == Play && game.drag_phase == DragPhase::Dragging;
}

// A frame that shows exactly the last one: the device skips it.
void draw_benchmark(benchmark::State& state, Screen screen) {
    go_to(screen);
    const bool right_screen = on_screen(screen);
    for (auto _ : state) draw_frame();
    state.SetLabel(label_of(screen));
    if (!right_screen) state.SkipWithError("the game is not on the screen to be measured");
    harness::stop_game();
}

// A frame that differs from the last one in what the scene really changes
// from frame to frame: the held piece moves a pixel, the lit button
// changes; and the device is made to draw it even if it would not.
void changing_benchmark(benchmark::State& state, Screen screen) {
    go_to(screen);
    const bool right_screen = on_screen(screen);
    PieceRecord* held = nullptr;
    if (right_screen && (screen == Screen::PlayMunicipality || screen == Screen::PlayMascot))
        held = &current_set().pieces[game.active_piece];
    int step = 0;
    for (auto _ : state) {
        ++step;
        if (held) {
            held->x += (step & 1) ? 1.0f : -1.0f;
        } else if (screen == Screen::Title) {
            game.title_button_state = (step & 1) ? HoverMascot : HoverMunicipality;
        } else {
            game.clear_button_state = (step & 1) ? ClearHover : ClearIdle;
        }
        sdl_graphics_force_redraw(device);
        draw_frame();
    }
    state.SetLabel(label_of(screen));
    if (!right_screen) state.SkipWithError("the game is not on the screen to be measured");
    harness::stop_game();
}

void BM_DrawFrame_Title(benchmark::State& s) { draw_benchmark(s, Screen::Title); }
void BM_DrawFrame_PlayMunicipality(benchmark::State& s) { draw_benchmark(s, Screen::PlayMunicipality); }
void BM_DrawFrame_PlayMascot(benchmark::State& s) { draw_benchmark(s, Screen::PlayMascot); }
void BM_DrawFrame_Clear(benchmark::State& s) { draw_benchmark(s, Screen::Clear); }
void BM_ChangingFrame_Title(benchmark::State& s) { changing_benchmark(s, Screen::Title); }
void BM_ChangingFrame_PlayMunicipality(benchmark::State& s) { changing_benchmark(s, Screen::PlayMunicipality); }
void BM_ChangingFrame_PlayMascot(benchmark::State& s) { changing_benchmark(s, Screen::PlayMascot); }
void BM_ChangingFrame_Clear(benchmark::State& s) { changing_benchmark(s, Screen::Clear); }

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

BENCHMARK(BM_ChangingFrame_Title)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChangingFrame_PlayMunicipality)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChangingFrame_PlayMascot)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChangingFrame_Clear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawFrame_Title)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawFrame_PlayMunicipality)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawFrame_PlayMascot)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawFrame_Clear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UpdateFrame_Play95Loose)->Unit(benchmark::kMicrosecond);

long status_kib(const char* field) {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return -1;
    char line[256];
    long value = -1;
    const std::size_t n = std::strlen(field);
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, field, n) == 0 && line[n] == ':') value = std::atol(line + n + 1);
    std::fclose(f);
    return value;
}

// Milliseconds since this process was started (exec, dynamic loading and
// all), from the kernel's record of its start.
double ms_since_process_start() {
    std::FILE* f = std::fopen("/proc/self/stat", "r");
    if (!f) return -1;
    char buffer[1024];
    const std::size_t n = std::fread(buffer, 1, sizeof buffer - 1, f);
    std::fclose(f);
    buffer[n] = 0;
    const char* p = std::strrchr(buffer, ')');
    if (!p) return -1;
    // Field 22 (starttime) counts from field 3 onwards after the name.
    unsigned long long start_ticks = 0;
    int field = 2;
    for (const char* q = p + 1; *q && field < 22; ++q)
        if (*q == ' ' && ++field == 22) start_ticks = std::strtoull(q + 1, nullptr, 10);
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double now_ms = now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
    return now_ms - start_ticks * 1000.0 / sysconf(_SC_CLK_TCK);
}

// Start-up in a fresh process: window, device, atlas decode and upload,
// sprite batch, the eight fonts, input, sound, catalogue, up to the first
// frame drawn and presented (counted from the process's own start). Then the
// resident memory on the title, and in play holding a piece with its info
// panel shown.
int startup_child() {
    setenv("POKOMARU_REFUSE_RENDERERS", "accelerated", 1);
    if (!harness::start_game(5)) return 1;  // start-up and the first frame
    const double startup_ms = ms_since_process_start();
    harness::wait_ms(500);
    const long title_kib = status_kib("VmRSS");
    start_mode(Mascot);
    hold_a_piece();
    const long play_kib = status_kib("VmRSS");
    harness::stop_game();
    std::printf("startup_ms %.1f title_rss_kib %ld play_rss_kib %ld peak_rss_kib %ld\n", startup_ms, title_kib,
                play_kib, status_kib("VmHWM"));
    return 0;
}

// Ten seconds of dragging a piece at the game's own pace on the real clock:
// the pointer circles, the piece follows, the info panel stays up. Prints
// the CPU the process used as a share of one core.
int drag_child() {
    setenv("POKOMARU_REFUSE_RENDERERS", "accelerated", 1);
    if (!harness::start_game(5)) return 1;
    harness::wait_ms(500);
    start_mode(Municipality);
    hold_a_piece();
    if (game.drag_phase != DragPhase::Dragging) return 1;
    set_manual_clock(false);
    const int cx = harness::client_x(512), cy = harness::client_y(384);
    auto run_for = [&](double seconds) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        for (int step = 0; std::chrono::steady_clock::now() < until; ++step) {
            const double a = step * 0.05;
            harness::move(cx + static_cast<int>(150 * std::cos(a)), cy + static_cast<int>(150 * std::sin(a)));
            harness::frame();
        }
    };
    run_for(1.0);  // the pacing settles on the real clock
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    const auto t0 = std::chrono::steady_clock::now();
    run_for(10.0);
    getrusage(RUSAGE_SELF, &after);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    const double cpu = seconds(after.ru_utime) - seconds(before.ru_utime) + seconds(after.ru_stime) -
                       seconds(before.ru_stime);
    const bool still_dragging = game.drag_phase == DragPhase::Dragging;
    harness::stop_game();
    if (!still_dragging) return 1;
    std::printf("drag_cpu_percent %.1f\n", cpu / wall * 100);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--startup-child") == 0) return startup_child();
    if (argc > 1 && std::strcmp(argv[1], "--drag-child") == 0) return drag_child();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
