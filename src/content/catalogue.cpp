#include "content/catalogue.h"

#include "content/catalogue_data.h"
#include "content/piece_geometry.h"

MunicipalityEntry municipality_entries[kMunicipalityCount];
MascotEntry mascot_entries[kMascotCount];

static_assert(kMunicipalityCount == piece_geometry::kMunicipalityCount);
static_assert(kMascotCount == piece_geometry::kMascotCount);

void fill_catalogue() {
    for (int i = 0; i < kMunicipalityCount; ++i) {
        const MunicipalityEntry& texts = catalogue_data::kMunicipalities[i];
        const piece_geometry::MunicipalityGeometry& cell = piece_geometry::kMunicipalities[i];
        MunicipalityEntry& entry = municipality_entries[i];
        PieceRecord& piece = game.municipality_pieces[i];
        entry.name = texts.name;
        entry.reading = texts.reading;
        piece.home_x = cell.home_x;
        piece.home_y = cell.home_y;
        piece.atlas_x = cell.atlas_x;
        piece.atlas_y = cell.atlas_y;
        piece.width = cell.width;
        piece.height = cell.height;
        entry.population = texts.population;
        entry.area = texts.area;
        entry.region = texts.region;
        entry.remark = texts.remark;
    }
    for (int i = 0; i < kMascotCount; ++i) {
        const MascotEntry& texts = catalogue_data::kMascots[i];
        MascotEntry& entry = mascot_entries[i];
        PieceRecord& piece = game.mascot_pieces[i];
        entry.name = texts.name;
        piece.home_x = piece_geometry::kMascotHomes[i].home_x;
        piece.home_y = piece_geometry::kMascotHomes[i].home_y;
        piece.atlas_x = piece_geometry::mascot_atlas_x(i);
        piece.atlas_y = piece_geometry::mascot_atlas_y(i);
        piece.width = piece_geometry::kMascotSize;
        piece.height = piece_geometry::kMascotSize;
        entry.affiliation = texts.affiliation;
        for (int k = 0; k < kMascotLines; ++k) entry.description[k] = texts.description[k];
    }
}
