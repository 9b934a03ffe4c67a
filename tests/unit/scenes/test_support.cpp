#include "test_support.h"

#include <cstdio>

#include "content/catalogue.h"
#include "scenes/labels.h"
#include "scenes/scenes.h"

std::vector<DrawCall> draw_log;

namespace {

FakeSprite fake_sprite;
// A texture object only so that its address can be recognised.
#if defined(_WIN32)
// The real COM interface is too wide to stand in for here, and the scenes
// only pass the atlas on and compare it, never call through it.
alignas(void*) unsigned char fake_atlas_storage[sizeof(void*)];
IDirect3DTexture9* const fake_atlas = reinterpret_cast<IDirect3DTexture9*>(fake_atlas_storage);
#else
class FakeTexture final : public IDirect3DTexture9 {
public:
    DWORD GetLevelCount() override { return 1; }
    UINT Release() override { return 0; }
};
FakeTexture fake_atlas_object;
IDirect3DTexture9* const fake_atlas = &fake_atlas_object;
#endif

FakeFont fake_mincho_144_bold{"mincho_144_bold"};
FakeFont fake_gothic_28{"gothic_28"};
FakeFont fake_meiryo_64{"meiryo_64"};
FakeFont fake_meiryo_32{"meiryo_32"};
FakeFont fake_gothic_16a{"gothic_16a"};
FakeFont fake_gothic_16b{"gothic_16b"};
FakeFont fake_mincho_16{"mincho_16"};
FakeFont fake_gothic_16_bold{"gothic_16_bold"};

}  // namespace

std::string DrawCall::describe() const {
    // RECT's LONG and DWORD are long on Windows and int elsewhere.
    const long l = rect.left, t = rect.top, r = rect.right, b = rect.bottom;
    const unsigned long fmt = format, col = colour;
    char buffer[512];
    if (is_text)
        std::snprintf(buffer, sizeof buffer, "text %s \"%s\" (%ld,%ld,%ld,%ld) fmt %lX col %08lX", font.c_str(),
                      text.c_str(), l, t, r, b, fmt, col);
    else
        std::snprintf(buffer, sizeof buffer, "sprite (%ld,%ld,%ld,%ld) at %g,%g col %08lX", l, t, r, b, x, y, col);
    return buffer;
}

HRESULT FakeSprite::Draw(IDirect3DTexture9* texture, const RECT* source, const D3DXVECTOR3* centre,
                         const D3DXVECTOR3* position, D3DCOLOR colour) {
    DrawCall call;
    call.rect = source ? *source : RECT{-1, -1, -1, -1};
    if (position) {
        call.x = position->x;
        call.y = position->y;
        call.z = position->z;
    }
    call.has_centre = centre != nullptr;
    call.from_atlas = texture == fake_atlas;
    call.colour = colour;
    draw_log.push_back(call);
    return S_OK;
}

int FakeFont::DrawTextA(ID3DXSprite* through, const char* text, int count, RECT* rect, DWORD format,
                        D3DCOLOR colour) {
    DrawCall call;
    call.is_text = true;
    call.font = name_;
    call.text = text ? text : "(null)";
    call.rect = rect ? *rect : RECT{-1, -1, -1, -1};
    call.count = count;
    call.format = format;
    call.colour = colour;
    call.through_sprite = through == &fake_sprite;
    draw_log.push_back(call);
    return 16;
}

void install_drawing_fakes() {
    sprite = &fake_sprite;
    atlas_texture = fake_atlas;
    font_mincho_144_bold = &fake_mincho_144_bold;
    font_gothic_28 = &fake_gothic_28;
    font_meiryo_64 = &fake_meiryo_64;
    font_meiryo_32 = &fake_meiryo_32;
    font_gothic_16a = &fake_gothic_16a;
    font_gothic_16b = &fake_gothic_16b;
    font_mincho_16 = &fake_mincho_16;
    font_gothic_16_bold = &fake_gothic_16_bold;
    draw_log.clear();
}

void start_game_state() {
    game = GameState{};
    sound_log.clear();
    record_log.clear();
    records_file_present = false;
    start_platform_logs();
    draw_log.clear();
    fill_catalogue();
    bind_ui_texts();
    reset_board();
    game.current_scene = Title;
    game.title_button_state = HoverMunicipality;
    set_outer_window(1042, 812);
    game.window_active = 1;
}

void set_outer_window(int width, int height) {
    game.window_rect = RECT{100, 50, 100 + width, 50 + height};
}

void move_client(double x, double y) {
    game.mouse_x = x;
    game.mouse_y = y;
}

// The client point that the logical point is stretched to.
void move_logical(double x, double y) {
    const double client_width = (game.window_rect.right - game.window_rect.left) - 18.0;
    const double client_height = (game.window_rect.bottom - game.window_rect.top) - 44.0;
    move_client(x * client_width / 1024, y * client_height / 768);
}

void press() {
    game.mouse_down = 1;
    game.press_consumed = 0;
}

void release() { game.mouse_down = 0; }

void escape() {
    if (game.current_scene != Title) {
        game.current_scene = Title;
        reset_board();
    }
}

void run_frame(double seconds) {
    game.frame_seconds = seconds;
    update_frame();
    if (sprite != nullptr) draw_scene_layers();
}

std::int32_t* order_of_current_set() {
    return game.puzzle_mode == Mascot ? game.mascot_order : game.municipality_order;
}
PieceRecord* current_pieces() { return game.puzzle_mode == Mascot ? game.mascot_pieces : game.municipality_pieces; }
int current_count() { return game.puzzle_mode == Mascot ? kMascotPieces : kMunicipalityPieces; }

void start_from_title(PuzzleMode mode) {
    const double button_x = mode == Mascot ? 640 : 384;
    move_logical(button_x, 632);
    run_frame();  // Idle or a hover: the pointer lights the button
    run_frame();
    press();
    run_frame();
    release();
    run_frame();
}

bool scatter_until_play() {
    for (int frame = 0; frame < 1000 && game.current_scene == Scatter; ++frame) run_frame();
    return game.current_scene == Play;
}
