// The mascots' looks as the portrait painter reads them from
// content/mascot-looks.tsv: kind, body, colours, head wear, signature item.
#pragma once

#include <string>
#include <vector>

namespace portraits {

struct Colour {
    std::string name;
    unsigned rgb = 0;  // 0xRRGGBB
};

struct Look {
    int index = 0;
    std::string name, kind, body;
    Colour main;
    std::vector<Colour> accents;  // one or two
    std::string head, item, source;
};

// Reads and checks the table against the catalogue's names (in order).
// Throws std::runtime_error naming the file, line and fault.
std::vector<Look> read_looks(const std::string& path, const std::vector<std::string>& catalogue_names);

// Parses "name #RRGGBB"; false when it is not that.
bool parse_colour(const std::string& text, Colour& out);

}  // namespace portraits
