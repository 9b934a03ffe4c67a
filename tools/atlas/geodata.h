// The municipal boundaries the map pieces are drawn from, and the catalogue
// rows they belong to. Rings are closed polygons in the order of the file;
// a municipality's rings (outer rings, holes, exclaves, wards) are filled
// together with the even-odd rule.
#pragma once

#include <string>
#include <vector>

#include "content/piece_geometry.h"

namespace atlas {

struct Point { double x, y; };
using Ring = std::vector<Point>;

// One catalogue row of content/municipalities.tsv as the atlas needs it.
struct MunicipalityRow {
    std::string name;
    int region = 0;  // index into kRegionNames, or kCapitalRegion
};
struct MascotRow {
    std::string name;
    std::string description;  // the description lines joined
};

constexpr int kRegionCount = 9;
extern const char* const kRegionNames[kRegionCount];
constexpr int kCapitalRegion = kRegionCount;  // the prefectural capital has its own colour

std::vector<MunicipalityRow> read_municipality_rows(const std::string& path);
std::vector<MascotRow> read_mascot_rows(const std::string& path);

// Rings in longitude / latitude degrees, indexed by catalogue row.
struct Boundaries {
    std::vector<std::vector<Ring>> rings;  // [piece_geometry::kMunicipalityCount]
};

// Reads the GeoJSON file and assigns each feature to its catalogue row by
// name ("埼玉県比企郡吉見町" -> 吉見町, "埼玉県さいたま市西区" -> さいたま市).
// Throws std::runtime_error on unreadable files, unknown names and rows
// without any boundary.
Boundaries read_boundaries(const std::string& path, const std::vector<MunicipalityRow>& rows);

// The catalogue name a feature name stands for.
std::string catalogue_name_of_feature(const std::string& feature_name);

std::string read_whole_file(const std::string& path);

}  // namespace atlas
