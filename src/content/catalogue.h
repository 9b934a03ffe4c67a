// temporary: replaced by the content branch.
// The catalogue of the 63 municipalities and 95 mascots: their texts, and
// the geometry of every piece filled into the piece records at start-up.
#pragma once

struct MunicipalityEntry {
    const char *name, *reading, *population, *area, *region, *remark;
};

struct MascotEntry {
    const char *name, *affiliation;
    const char* description[5];
};

extern const MunicipalityEntry municipality_entries[63];
extern const MascotEntry mascot_entries[95];

// Sets home_x, home_y, atlas_x, atlas_y, width and height of all pieces.
void fill_catalogue();
