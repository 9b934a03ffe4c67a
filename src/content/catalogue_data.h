// The catalogue's texts as the build generates them from content/*.tsv:
// constant Shift-JIS strings, one row per piece in piece index order.
// Game code reads them through fill_catalogue and the entry tables of
// catalogue.h; only the generated catalogue_data.cpp defines these.
#pragma once

#include "content/catalogue.h"

namespace catalogue_data {

extern const MunicipalityEntry kMunicipalities[kMunicipalityCount];
extern const MascotEntry kMascots[kMascotCount];

}  // namespace catalogue_data
