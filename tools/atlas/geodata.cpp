#include "geodata.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "json_reader.h"

namespace atlas {

const char* const kRegionNames[kRegionCount] = {
    "南部", "南西部", "県央", "東部", "西部", "川越比企", "北部", "秩父", "利根",
};

std::string read_whole_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    std::ostringstream s;
    s << in.rdbuf();
    if (in.bad()) throw std::runtime_error("cannot read " + path);
    return s.str();
}

namespace {

std::vector<std::vector<std::string>> read_tsv(const std::string& path, size_t min_columns) {
    std::istringstream in(read_whole_file(path));
    std::vector<std::vector<std::string>> rows;
    std::string line;
    bool header = true;
    int line_no = 0;
    while (std::getline(in, line)) {
        ++line_no;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (header) { header = false; continue; }
        if (line.empty()) continue;
        std::vector<std::string> cols;
        size_t start = 0;
        for (;;) {
            size_t tab = line.find('\t', start);
            cols.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
            if (tab == std::string::npos) break;
            start = tab + 1;
        }
        if (cols.size() < min_columns)
            throw std::runtime_error(path + ":" + std::to_string(line_no) + ": expected at least " +
                                     std::to_string(min_columns) + " columns");
        if (cols[0] != std::to_string(rows.size()))
            throw std::runtime_error(path + ":" + std::to_string(line_no) + ": row index out of order");
        rows.push_back(std::move(cols));
    }
    return rows;
}

}  // namespace

std::vector<MunicipalityRow> read_municipality_rows(const std::string& path) {
    auto table = read_tsv(path, 7);
    if (table.size() != piece_geometry::kMunicipalityCount)
        throw std::runtime_error(path + ": expected " + std::to_string(piece_geometry::kMunicipalityCount) +
                                 " municipalities, found " + std::to_string(table.size()));
    std::vector<MunicipalityRow> rows;
    for (const auto& cols : table) {
        MunicipalityRow r;
        r.name = cols[1];
        const std::string& region = cols[5];
        r.region = -1;
        if (region.find("県庁所在地") != std::string::npos) r.region = kCapitalRegion;
        for (int i = 0; i < kRegionCount && r.region < 0; ++i)
            if (region.rfind(std::string(kRegionNames[i]) + "地域", 0) == 0) r.region = i;
        if (r.region < 0) throw std::runtime_error(path + ": row " + cols[0] + " names no known region");
        rows.push_back(std::move(r));
    }
    return rows;
}

std::vector<MascotRow> read_mascot_rows(const std::string& path) {
    auto table = read_tsv(path, 3);
    if (table.size() != piece_geometry::kMascotCount)
        throw std::runtime_error(path + ": expected " + std::to_string(piece_geometry::kMascotCount) +
                                 " mascots, found " + std::to_string(table.size()));
    std::vector<MascotRow> rows;
    for (const auto& cols : table) {
        MascotRow r;
        r.name = cols[1];
        if (r.name.empty()) throw std::runtime_error(path + ": row " + cols[0] + " has no name");
        for (size_t c = 3; c < cols.size(); ++c) r.description += cols[c];
        rows.push_back(std::move(r));
    }
    return rows;
}

std::string catalogue_name_of_feature(const std::string& feature_name) {
    static const std::string kPrefecture = "埼玉県";
    static const std::string kDistrict = "郡";
    static const std::string kCapital = "さいたま市";
    std::string n = feature_name;
    if (n.rfind(kPrefecture, 0) == 0) n = n.substr(kPrefecture.size());
    size_t d = n.find(kDistrict);
    if (d != std::string::npos) n = n.substr(d + kDistrict.size());
    if (n.rfind(kCapital, 0) == 0) n = kCapital;  // the wards make one piece
    return n;
}

namespace {

Ring ring_of(const JsonValue& v, const std::string& feature) {
    if (!v.is_array()) throw std::runtime_error(feature + ": a ring is not an array");
    Ring ring;
    for (const auto& p : v.items) {
        if (!p.is_array() || p.items.size() < 2 || p.items[0].kind != JsonValue::Kind::Number ||
            p.items[1].kind != JsonValue::Kind::Number)
            throw std::runtime_error(feature + ": a position is not [longitude, latitude]");
        ring.push_back({p.items[0].number, p.items[1].number});
    }
    if (ring.size() >= 2 && ring.front().x == ring.back().x && ring.front().y == ring.back().y) ring.pop_back();
    if (ring.size() < 3) throw std::runtime_error(feature + ": a ring has fewer than three positions");
    return ring;
}

void add_polygon(const JsonValue& polygon, const std::string& feature, std::vector<Ring>& out) {
    if (!polygon.is_array()) throw std::runtime_error(feature + ": a polygon is not an array of rings");
    for (const auto& r : polygon.items) out.push_back(ring_of(r, feature));
}

}  // namespace

Boundaries read_boundaries(const std::string& path, const std::vector<MunicipalityRow>& rows) {
    JsonValue doc = parse_json(read_whole_file(path));
    const JsonValue* features = doc.find("features");
    if (!features || !features->is_array()) throw std::runtime_error(path + ": no \"features\" array");
    Boundaries b;
    b.rings.resize(rows.size());
    for (const auto& f : features->items) {
        const JsonValue* props = f.find("properties");
        const JsonValue* name = props ? props->find("name") : nullptr;
        const JsonValue* geom = f.find("geometry");
        if (!name || name->kind != JsonValue::Kind::String)
            throw std::runtime_error(path + ": a feature has no properties.name");
        if (!geom) throw std::runtime_error(path + ": feature " + name->text + " has no geometry");
        std::string cat = catalogue_name_of_feature(name->text);
        size_t row = 0;
        while (row < rows.size() && rows[row].name != cat) ++row;
        if (row == rows.size())
            throw std::runtime_error(path + ": feature " + name->text + " matches no catalogue row");
        const JsonValue* type = geom->find("type");
        const JsonValue* coords = geom->find("coordinates");
        if (!type || !coords || !coords->is_array())
            throw std::runtime_error(path + ": feature " + name->text + " has malformed geometry");
        if (type->text == "Polygon") {
            add_polygon(*coords, name->text, b.rings[row]);
        } else if (type->text == "MultiPolygon") {
            for (const auto& p : coords->items) add_polygon(p, name->text, b.rings[row]);
        } else {
            throw std::runtime_error(path + ": feature " + name->text + " is a " + type->text +
                                     ", not a polygon");
        }
    }
    for (size_t i = 0; i < rows.size(); ++i)
        if (b.rings[i].empty()) throw std::runtime_error(path + ": no boundary for " + rows[i].name);
    return b;
}

}  // namespace atlas
