// The scene machine fed with random sequences of window messages, frames of
// any length and window sizes, through the real window procedure, the real
// update_frame and the real drawing (on a sprite batch and fonts that only
// check what they are given). After every step the game's invariants must
// hold: each order a permutation, every piece in a valid state at a finite
// place, at most the one active piece held, pieces_left the number of pieces
// not placed during play, every index in range. The game runs on the null
// backend: its sounds are silent and its record file lives in memory, so
// the fuzzer plays no sound and never writes game/data_save.dat; every wave
// it starts must be one of the game's, and every saved record file four
// bytes the game reads back as the times it saved.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>

#include "content/catalogue.h"
#include "content/records.h"
#include "state/platform_objects.h"
#include "platform/logical_screen.h"
#include "platform/null/null_backend.h"
#include "shell/sound_stage.h"
#include "platform/window.h"
#include "state/game_state.h"
#include "scenes/labels.h"
#include "scenes/piece_set.h"
#include "scenes/scenes.h"
#include "shell/main_window.h"
#include "support/game_invariants.h"

namespace {

[[noreturn]] void broken(const char* what) {
    std::fprintf(stderr, "invariant broken: %s (scene %d mode %d)\n", what, game.current_scene, game.puzzle_mode);
    std::abort();
}

// ---- what the scenes call besides the game state ---------------------------

class CheckingTexture final : public IDirect3DTexture9 {
public:
    DWORD GetLevelCount() override { return 1; }
    UINT Release() override { return 0; }
};
CheckingTexture atlas;

class CheckingSprite final : public ID3DXSprite {
public:
    HRESULT Begin(DWORD) override { return S_OK; }
    HRESULT Draw(IDirect3DTexture9* texture, const RECT* source, const D3DXVECTOR3* centre,
                 const D3DXVECTOR3* position, D3DCOLOR) override {
        if (texture != &atlas) broken("a sprite drawn from something but the atlas");
        if (!source) broken("a sprite without a source rectangle");
        // The atlas is 1024 x 2048; every picture lies inside it.
        if (source->left < 0 || source->top < 0 || source->right > 1024 || source->bottom > 2048 ||
            source->left >= source->right || source->top >= source->bottom)
            broken("a source rectangle outside the atlas");
        if (centre) broken("a sprite drawn with a centre");
        if (position && (!std::isfinite(position->x) || !std::isfinite(position->y)))
            broken("a sprite at a position that is not a number");
        return S_OK;
    }
    HRESULT End() override { return S_OK; }
    HRESULT OnLostDevice() override { return S_OK; }
    HRESULT OnResetDevice() override { return S_OK; }
    UINT Release() override { return 0; }
};
CheckingSprite checking_sprite;

class CheckingFont final : public ID3DXFont {
public:
    int DrawTextA(ID3DXSprite* through, const char* text, int count, RECT* rect, DWORD, D3DCOLOR) override {
        if (through != &checking_sprite) broken("a text drawn outside the sprite batch");
        if (!text || !rect || count != -1) broken("a text without its string or rectangle");
        return 16;
    }
    UINT Release() override { return 0; }
};
CheckingFont fonts[8];

void install_checking_drawing() {
    sprite = &checking_sprite;
    atlas_texture = &atlas;
    ID3DXFont** all[] = {&font_mincho_144_bold, &font_gothic_28, &font_meiryo_64, &font_meiryo_32,
                         &font_gothic_16a,      &font_gothic_16b, &font_mincho_16, &font_gothic_16_bold};
    for (int i = 0; i < 8; ++i) *all[i] = &fonts[i];
}

// The effects' wave files; the silent sound takes any RIFF file of the form
// WAVE.
std::string wave_name(int effect) { return std::string("game/wave0") + char('0' + effect) + ".wav"; }
const char kWave[] = "RIFF\x04\0\0\0WAVE";

// The real sound stage over the silent sound, once for the whole run.
void start_silent_sound() {
    static const bool started = [] {
        char directory[260];
        GetCurrentDirectoryA(sizeof directory, directory);
        for (int effect = 0; effect < kSoundEffectCount; ++effect)
            put_memory_file(std::string(directory) + "/" + wave_name(effect), MemoryFileBytes(kWave, kWave + 12));
        if (FAILED(init_sound())) broken("the sound stage does not start on the silent sound");
        set_null_sound_observer([](const std::string& wave) {
            for (int effect = 0; effect < kSoundEffectCount; ++effect)
                if (wave == wave_name(effect)) return;
            broken("a wave started that is none of the game's");
        });
        set_memory_file_observer([](MemoryFileEvent event, const std::string& path) {
            if (event != MemoryFileEvent::Replaced || path != records_detail::kRecordPath) return;
            const auto bytes = memory_file(path);
            if (!bytes || bytes->size() != 4) broken("a saved record file that is not four bytes");
            for (int mode = 0; mode < 2; ++mode)
                if ((*bytes)[2 * mode] * 60.0 + (*bytes)[2 * mode + 1] != std::floor(game.best_seconds[mode]))
                    broken("a saved record file that does not hold the best times");
        });
        return true;
    }();
    (void)started;
}

}  // namespace

namespace {

struct Input {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
    bool empty() const { return at >= size; }
    unsigned byte() { return at < size ? data[at++] : 0; }
    unsigned word() { return byte() | (byte() << 8); }
};

LPARAM client_point(double logical_x, double logical_y) {
    const double cw = (game.window_rect.right - game.window_rect.left) - 18.0;
    const double ch = (game.window_rect.bottom - game.window_rect.top) - 44.0;
    const long x = std::lround(std::fmax(0, logical_x * cw / 1024));
    const long y = std::lround(std::fmax(0, logical_y * ch / 768));
    return MAKELPARAM(static_cast<std::uint16_t>(x & 0xFFFF), static_cast<std::uint16_t>(y & 0xFFFF));
}

// Whether the pointer is a finger. The window procedure reads the touch
// mark from the message's extra information, which a message handed to it
// straight has not, so the mark is put back after every mouse message.
bool finger = false;

void send(UINT message, WPARAM w, LPARAM l) {
    window_proc(main_window, message, w, l);
    if (message == WM_MOUSEMOVE || message == WM_LBUTTONDOWN || message == WM_LBUTTONUP)
        game.pointer_is_touch = finger ? 1 : 0;
}

void check_invariants() {
    if (const char* why = broken_game_invariant()) broken(why);
}

// Every input gets at most this many frames, so that one run stays short.
constexpr int kFrameBudget = 3000;
int frames_left = 0;
// POKOMARU_FUZZ_TRACE=1 prints every scene change (to see where seeds lead).
bool trace = false;

void one_frame(double seconds) {
    if (frames_left <= 0) return;
    --frames_left;
    const std::int32_t before = game.current_scene;
    game.frame_seconds = seconds;
    update_frame();
    draw_scene_layers();
    if (trace && game.current_scene != before)
        std::fprintf(stderr, "scene %d -> %d (mode %d, left %d)\n", before, game.current_scene, game.puzzle_mode,
                     game.pieces_left);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in{data, size};
    trace = std::getenv("POKOMARU_FUZZ_TRACE") != nullptr;
    frames_left = kFrameBudget;
    finger = false;
    std::srand(in.byte() | (in.byte() << 8));
    start_silent_sound();
    remove_memory_file(records_detail::kRecordPath);
    game = GameState{};
    install_checking_drawing();
    fill_catalogue();
    bind_ui_texts();
    load_records();
    reset_board();
    game.current_scene = Title;
    game.title_button_state = HoverMunicipality;
    game.window_rect = RECT{0, 0, 1042, 812};
    send(WM_ACTIVATE, WA_ACTIVE, 0);
    check_invariants();

    int steps = 0;
    while (!in.empty() && steps++ < 4000) {
        const unsigned op = in.byte() % 12;
        switch (op) {
            case 0: {  // the pointer anywhere, in client pixels; an odd x is a finger from now on
                const unsigned x = in.word(), y = in.word();
                finger = (x & 1) != 0;
                send(WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
                break;
            }
            case 1: {  // onto the centre of a piece of the set in play
                const PieceSet s = current_piece_set();
                const PieceRecord& p = s.pieces[s.order[in.byte() % s.count]];
                send(WM_MOUSEMOVE, 0, client_point(p.x + p.width / 2, p.y + p.height / 2));
                break;
            }
            case 2: {  // near the home of the active (or the topmost) piece
                const PieceSet s = current_piece_set();
                const bool active_in_set = game.active_piece >= 0 && game.active_piece < s.count;
                const int i = active_in_set ? game.active_piece : s.order[0];
                const PieceRecord& p = s.pieces[i];
                const double dx = static_cast<int>(in.byte() % 25) - 12, dy = static_cast<int>(in.byte() % 25) - 12;
                send(WM_MOUSEMOVE, 0, client_point(p.home_x + p.width / 2 + dx, p.home_y + p.height / 2 + dy));
                break;
            }
            case 3:  // onto a button: title, clear, hint
            {
                static const double points[][2] = {{384, 632}, {640, 632}, {512, 632}, {990, 32}, {448, 600}};
                const auto& pt = points[in.byte() % 5];
                send(WM_MOUSEMOVE, 0, client_point(pt[0], pt[1]));
                break;
            }
            case 4:
                send(WM_LBUTTONDOWN, MK_LBUTTON, 0);
                break;
            case 5:
                send(WM_LBUTTONUP, 0, 0);
                break;
            case 6: {  // a key: mostly Escape
                const unsigned key = in.byte();
                send(WM_KEYDOWN, key < 160 ? VK_ESCAPE : key, 1);
                break;
            }
            case 7:
                send(WM_ACTIVATE, in.byte() % 3, 0);
                break;
            case 8:  // one frame of any length up to a minute
                one_frame(in.word() / 1000.0);
                break;
            case 9: {  // many frames at 60 per second
                const unsigned n = in.byte();
                for (unsigned i = 0; i < n; ++i) one_frame(1.0 / 60);
                break;
            }
            case 10: {  // another window size, the client at least 1 x 1
                const int w = 1 + static_cast<int>(in.word() % 2400), h = 1 + static_cast<int>(in.word() % 1800);
                game.window_rect = RECT{10, 20, 10 + w + 18, 20 + h + 44};
                game.window_scale = logical_scale_of(w, h);  // as the hosted window measures it
                break;
            }
            default: {  // any other message
                const unsigned message = in.word();
                send(message, in.word(), static_cast<LPARAM>(in.word() | (in.word() << 16)));
                break;
            }
        }
        check_invariants();
    }
    if (trace)
        std::fprintf(stderr, "end: scene %d mode %d left %d, %d frames unused\n", game.current_scene, game.puzzle_mode,
                     game.pieces_left, frames_left);
    return 0;
}
