// The game's whole content: the 63 municipalities and 95 mascots, their
// texts for the info panel and the geometry of their pieces. fill_catalogue
// runs once at start-up; everything here is read-only afterwards.
#pragma once

#include "state/game_state.h"

constexpr int kMunicipalityCount = kMunicipalityPieces;
constexpr int kMascotCount = kMascotPieces;

// Every field refers to a constant, zero-terminated Shift-JIS text of the
// program; an entry never owns or copies its texts.
struct MunicipalityEntry {
    const char* name;        // "さいたま市"
    const char* reading;     // "さいたまし"
    const char* population;  // "1,236,451人": 9 bytes right-aligned, then 人 (11 bytes)
    const char* area;        // "  5.10Km2" or " 境界未定" (9 bytes)
    const char* region;      // "南部地域に属する市"
    const char* remark;      // one line about the place
};

struct MascotEntry {
    const char* name;
    const char* affiliation;                  // always ends in "のマスコット"
    const char* description[kMascotLines];    // lines 1 to 5; an unused line is ""
};

// Indexed like the pieces: entry i belongs to municipality_pieces[i] or
// mascot_pieces[i]. Empty (null texts) until fill_catalogue runs.
extern MunicipalityEntry municipality_entries[kMunicipalityCount];
extern MascotEntry mascot_entries[kMascotCount];

// Fills both text tables and the six geometry fields (home, atlas cell and
// size) of all 158 pieces in game; no other field of a piece is touched.
void fill_catalogue();
