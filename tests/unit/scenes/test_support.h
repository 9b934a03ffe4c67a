// What the scene tests share: the recording fakes of the sprite batch and
// the fonts, the logs of the sounds and records, and a start-up and a window
// procedure simulated through the game state.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "state/platform_objects.h"
#include "state/game_state.h"

// ---- drawing -------------------------------------------------------------

struct DrawCall {
    bool is_text = false;
    std::string font;  // name of the font, for texts
    std::string text;
    RECT rect{};       // source rectangle of a sprite, or the text rectangle
    float x = 0, y = 0, z = 0;
    bool has_centre = false;
    bool from_atlas = false;
    int count = 0;
    DWORD format = 0;
    D3DCOLOR colour = 0;
    bool through_sprite = false;

    std::string describe() const;
};

extern std::vector<DrawCall> draw_log;

class FakeSprite final : public ID3DXSprite {
public:
    HRESULT Begin(DWORD) override { return S_OK; }
    HRESULT Draw(IDirect3DTexture9* texture, const RECT* source, const D3DXVECTOR3* centre,
                 const D3DXVECTOR3* position, D3DCOLOR colour) override;
    HRESULT End() override { return S_OK; }
    HRESULT OnLostDevice() override { return S_OK; }
    HRESULT OnResetDevice() override { return S_OK; }
    UINT Release() override { return 0; }
};

class FakeFont final : public ID3DXFont {
public:
    explicit FakeFont(std::string name) : name_(std::move(name)) {}
    int DrawTextA(ID3DXSprite* sprite, const char* text, int count, RECT* rect, DWORD format,
                  D3DCOLOR colour) override;
    UINT Release() override { return 0; }

private:
    std::string name_;
};

// Points sprite, atlas_texture and the eight fonts at recording fakes.
void install_drawing_fakes();

// ---- sounds and records ----------------------------------------------------

// The effects played, in order, and the record file's reads and writes: on
// Linux the real play_sound_effect, load_records and save_records over the
// null backend feed them; the Windows build keeps recording doubles.
extern std::vector<std::int32_t> sound_log;

struct RecordCall {
    std::string name;  // "load_records" or "save_records"
    std::int32_t scene;
    double scatter_seconds;
    std::int32_t pieces_left;
    std::size_t sounds_before;
    double best[2];
    std::uint8_t new_record;
};
extern std::vector<RecordCall> record_log;
// What load_records reads "from the file": when set, both best times.
extern bool records_file_present;
extern double records_file_best[2];
// Readies the sound and the record file for a test; start_game_state calls it.
void start_platform_logs();

// ---- the game around the scenes -------------------------------------------

// A fresh state as start-up leaves it: catalogue, texts, the board reset,
// the title; an active window of 1042 x 812 (client 1024 x 768); logs empty.
void start_game_state();
void set_outer_window(int width, int height);

// The window procedure's effects.
void move_client(double x, double y);
void move_logical(double x, double y);  // through the current client scale
void press();
void release();
void escape();

// One frame of the main loop as far as the game goes.
void run_frame(double seconds = 1.0 / 60);

std::int32_t* order_of_current_set();
PieceRecord* current_pieces();
int current_count();

// From the title, through the button of the mode, into Scatter.
void start_from_title(PuzzleMode mode);
// Frames of 1/60 s until the scatter is over; false if it never ends.
bool scatter_until_play();
