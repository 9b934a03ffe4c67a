// Turns the catalogue tables and the fixed texts of the game (UTF-8, edited
// by hand in content/) into C++ sources that hold every text as a constant
// Shift-JIS (code page 932) string, so the game never converts at run time.
//
//   catalogue_gen MUNICIPALITIES.tsv MASCOTS.tsv UI_TEXTS.tsv PIECE_GEOMETRY.cpp OUT_DIR
//
// writes OUT_DIR/catalogue_data.cpp, OUT_DIR/ui_text.h and OUT_DIR/ui_text.cpp.
// Every fault in the input (a wrong number of fields, a bad number, a text
// that code page 932 cannot hold unchanged, a name that does not match the
// piece geometry) is reported as "file:line: error: row N: ..." and nothing is
// written; the exit status is then 1, which stops the build.

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kMunicipalityCount = 63;
constexpr int kMascotCount = 95;
constexpr int kMascotLines = 5;
constexpr std::size_t kNumberFieldBytes = 9;  // population and area are padded to this width
const char* const kUndeterminedArea = "UNDETERMINED";
const char* const kUndeterminedAreaText = " 境界未定";

struct Errors {
    std::vector<std::string> messages;
    void add(const std::string& file, int line, int row, const std::string& what) {
        std::ostringstream out;
        out << file << ':' << line << ": error: ";
        if (row >= 0) out << "row " << row << ": ";
        out << what;
        messages.push_back(out.str());
    }
};

// ---------------------------------------------------------------------------
// Code page 932

// Returns the code point of the UTF-8 sequence at text[at], or -1.
long utf8_code_point_at(const std::string& text, std::size_t at) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(at);
    int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || at + length > text.size()) return -1;
    long cp = length == 1 ? lead : lead & (0x3F >> (length - 1));
    for (int i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return -1;
        cp = (cp << 6) | (byte(at + i) & 0x3F);
    }
    return cp;
}

std::string describe_code_point(const std::string& text, std::size_t at) {
    long cp = utf8_code_point_at(text, at);
    char buffer[64];
    if (cp < 0) {
        std::snprintf(buffer, sizeof buffer, "an invalid UTF-8 byte 0x%02X", static_cast<unsigned char>(text[at]));
        return buffer;
    }
    std::size_t length = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    std::snprintf(buffer, sizeof buffer, "U+%04lX", cp);
    return "\"" + text.substr(at, length) + "\" (" + buffer + ")";
}

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts all of text; on failure returns false and sets failed_at to the
    // offset of the first input byte that could not be converted.
    bool convert(const std::string& text, std::string& out, std::size_t& failed_at) {
        out.clear();
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(text.data());
        std::size_t in_left = text.size();
        while (in_left > 0) {
            char buffer[512];
            char* dst = buffer;
            std::size_t dst_left = sizeof buffer;
            std::size_t r = iconv(cd_, &in, &in_left, &dst, &dst_left);
            out.append(buffer, static_cast<std::size_t>(dst - buffer));
            if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
                failed_at = static_cast<std::size_t>(in - text.data());
                return false;
            }
        }
        return true;
    }

private:
    iconv_t cd_;
};

Converter* to_cp932 = nullptr;
Converter* from_cp932 = nullptr;

// Encodes a UTF-8 text to code page 932 and checks that it decodes back to
// the very same text (some characters, such as U+301C, would come back as
// another one and the game would show something else than the table says).
bool encode_cp932(const std::string& utf8, std::string& sjis, std::string& problem) {
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x20 || c == 0x7F) {
            problem = "contains a control character";
            return false;
        }
    }
    std::size_t at = 0;
    if (!to_cp932->convert(utf8, sjis, at)) {
        problem = "contains " + describe_code_point(utf8, at) + ", which code page 932 (Shift-JIS) cannot hold";
        return false;
    }
    std::string back;
    if (!from_cp932->convert(sjis, back, at) || back != utf8) {
        std::size_t i = 0;
        while (i < utf8.size() && i < back.size() && utf8[i] == back[i]) ++i;
        while (i > 0 && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) --i;
        problem = "contains " + describe_code_point(utf8, i) +
                  ", which code page 932 turns into another character; use the code page's own form";
        return false;
    }
    return true;
}

// A C++ string literal of Shift-JIS bytes: single-byte ASCII characters stay
// readable, every byte of a double-byte character (whose second byte may
// look like ASCII, even like a backslash) and every other byte becomes a
// three-digit octal escape, which unlike \x never swallows what follows.
bool is_lead_byte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

std::string literal(const std::string& bytes) {
    std::string out = "\"";
    auto escape = [&](unsigned char c) {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "\\%03o", c);
        out += buffer;
    };
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (is_lead_byte(c) && i + 1 < bytes.size()) {
            escape(c);
            escape(static_cast<unsigned char>(bytes[++i]));
        } else if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\' && c != '?') {
            out += static_cast<char>(c);
        } else {
            escape(c);
        }
    }
    return out + "\"";
}

// ---------------------------------------------------------------------------
// Reading the tables

struct Line {
    int number;                       // 1-based line number in the file
    std::vector<std::string> fields;  // tab-separated
};

bool read_lines(const std::string& path, std::vector<Line>& lines, Errors& errors, bool skip_comments) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        errors.add(path, 0, -1, std::string("cannot open the file: ") + std::strerror(errno));
        return false;
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    std::size_t start = 0;
    int number = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (skip_comments && (line.empty() || line[0] == '#')) continue;
        Line parsed{number, {}};
        std::size_t field_start = 0;
        while (true) {
            std::size_t tab = line.find('\t', field_start);
            parsed.fields.push_back(line.substr(field_start, tab == std::string::npos ? std::string::npos
                                                                                      : tab - field_start));
            if (tab == std::string::npos) break;
            field_start = tab + 1;
        }
        lines.push_back(std::move(parsed));
    }
    return true;
}

// The names of the pieces as the geometry table comments them ("// 5 蕨市"),
// in index order, for one array of piece_geometry.cpp.
std::vector<std::string> geometry_names(const std::string& source, const char* array, const std::string& path,
                                        Errors& errors) {
    std::vector<std::string> names;
    std::size_t at = source.find(std::string(array) + "[");
    if (at == std::string::npos) {
        errors.add(path, 0, -1, std::string("no table ") + array + " found");
        return names;
    }
    std::size_t end = source.find("};", at);
    std::istringstream body(source.substr(at, end - at));
    std::string line;
    while (std::getline(body, line)) {
        std::size_t comment = line.find("//");
        if (comment == std::string::npos || line.find('{') == std::string::npos) continue;
        std::istringstream words(line.substr(comment + 2));
        int index = -1;
        std::string name;
        if (!(words >> index >> name) || index != static_cast<int>(names.size())) {
            errors.add(path, 0, -1, std::string("the comment of entry ") + std::to_string(names.size()) + " of " +
                                        array + " is not \"// index name\"");
            return names;
        }
        names.push_back(name);
    }
    return names;
}

bool all_digits(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

std::string pad_left(const std::string& s, std::size_t width) {
    return s.size() >= width ? s : std::string(width - s.size(), ' ') + s;
}

// "1236451" -> "1,236,451人" padded to 9 bytes before the 人.
bool population_text(const std::string& field, std::string& text, std::string& problem) {
    if (!all_digits(field) || (field.size() > 1 && field[0] == '0') || field == "0") {
        problem = "the population \"" + field + "\" is not a positive whole number";
        return false;
    }
    std::string grouped;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (i > 0 && (field.size() - i) % 3 == 0) grouped += ',';
        grouped += field[i];
    }
    if (grouped.size() > kNumberFieldBytes) {
        problem = "the population \"" + field + "\" is too large for its 9-byte box";
        return false;
    }
    text = pad_left(grouped, kNumberFieldBytes) + "人";
    return true;
}

// "5.10" -> "  5.10Km2"; UNDETERMINED -> " 境界未定".
bool area_text(const std::string& field, std::string& text, std::string& problem) {
    if (field == kUndeterminedArea) {
        text = kUndeterminedAreaText;
        return true;
    }
    std::size_t dot = field.find('.');
    std::string whole = field.substr(0, dot);
    bool ok = dot != std::string::npos && all_digits(whole) && (whole.size() == 1 || whole[0] != '0') &&
              field.size() - dot == 3 && all_digits(field.substr(dot + 1)) && field != "0.00";
    if (!ok) {
        problem = "the area \"" + field + "\" is neither a positive number with two decimals nor " +
                  kUndeterminedArea;
        return false;
    }
    std::string number = field + "Km2";
    if (number.size() > kNumberFieldBytes) {
        problem = "the area \"" + field + "\" is too large for its 9-byte box";
        return false;
    }
    text = pad_left(number, kNumberFieldBytes);
    return true;
}

// Checks the header, the row count, the field count and the index column of
// a catalogue table; returns the data rows that have the right shape.
std::vector<Line> catalogue_rows(const std::string& path, const std::vector<std::string>& header, int count,
                                 Errors& errors) {
    std::vector<Line> lines, rows;
    if (!read_lines(path, lines, errors, false)) return rows;
    // A final newline leaves one empty line behind; it is not a row.
    if (!lines.empty() && lines.back().fields.size() == 1 && lines.back().fields[0].empty()) lines.pop_back();
    if (lines.empty() || lines[0].fields != header) {
        std::string expected;
        for (const auto& h : header) expected += (expected.empty() ? "" : "\\t") + h;
        errors.add(path, 1, -1, "the header must be \"" + expected + "\"");
        return rows;
    }
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const Line& line = lines[i];
        int row = static_cast<int>(i) - 1;
        if (line.fields.size() != header.size()) {
            errors.add(path, line.number, row,
                       "has " + std::to_string(line.fields.size()) + " fields, " + std::to_string(header.size()) +
                           " expected (fields are separated by one tab)");
            continue;
        }
        if (line.fields[0] != std::to_string(row)) {
            errors.add(path, line.number, row, "the index column says \"" + line.fields[0] + "\"");
            continue;
        }
        rows.push_back(line);
    }
    if (static_cast<int>(lines.size()) - 1 != count)
        errors.add(path, static_cast<int>(lines.size()), -1,
                   "has " + std::to_string(lines.size() - 1) + " rows, " + std::to_string(count) + " expected");
    return rows;
}

// Encodes one field, reporting a failure against its row and column.
std::string field_sjis(const std::string& utf8, const std::string& path, const Line& line, const std::string& column,
                       Errors& errors) {
    std::string sjis, problem;
    if (!encode_cp932(utf8, sjis, problem)) errors.add(path, line.number, std::stoi(line.fields[0]), column + " " + problem);
    return sjis;
}

void check_name(const std::string& name, const std::vector<std::string>& expected, const std::string& path,
                const Line& line, Errors& errors) {
    std::size_t row = static_cast<std::size_t>(std::stoi(line.fields[0]));
    if (row < expected.size() && name != expected[row])
        errors.add(path, line.number, static_cast<int>(row),
                   "the name \"" + name + "\" differs from \"" + expected[row] + "\" of the piece geometry");
}

// A text for a // comment: a backslash at the end would continue the comment
// onto the next line, so backslashes are shown as slashes.
std::string comment_text(std::string text) {
    for (char& c : text)
        if (c == '\\') c = '/';
    return text;
}

void comment_line(std::ostringstream& out, const std::string& text) {
    out << "    // " << comment_text(text) << "\n";
}

std::string municipalities_source(const std::string& path, const std::vector<std::string>& names, Errors& errors) {
    const std::vector<std::string> header{"index", "name", "reading", "population", "area_km2", "region", "remark"};
    std::ostringstream out;
    out << "const MunicipalityEntry kMunicipalities[kMunicipalityCount] = {\n";
    for (const Line& line : catalogue_rows(path, header, kMunicipalityCount, errors)) {
        const auto& f = line.fields;
        int row = std::stoi(f[0]);
        check_name(f[1], names, path, line, errors);
        for (std::size_t c = 1; c < f.size(); ++c)
            if (f[c].empty()) errors.add(path, line.number, row, "the " + header[c] + " is empty");
        std::string population, area, problem;
        if (!population_text(f[3], population, problem)) errors.add(path, line.number, row, problem);
        if (!area_text(f[4], area, problem)) errors.add(path, line.number, row, problem);
        comment_line(out, f[0] + " " + f[1] + " | " + f[2] + " | " + population + " | " + area + " | " + f[5] +
                              " | " + f[6]);
        out << "    {" << literal(field_sjis(f[1], path, line, "the name", errors)) << ",\n     "
            << literal(field_sjis(f[2], path, line, "the reading", errors)) << ",\n     "
            << literal(field_sjis(population, path, line, "the population", errors)) << ",\n     "
            << literal(field_sjis(area, path, line, "the area", errors)) << ",\n     "
            << literal(field_sjis(f[5], path, line, "the region", errors)) << ",\n     "
            << literal(field_sjis(f[6], path, line, "the remark", errors)) << "},\n";
    }
    out << "};\n";
    return out.str();
}

std::string mascots_source(const std::string& path, const std::vector<std::string>& names, Errors& errors) {
    const std::vector<std::string> header{"index", "name", "affiliation", "line1", "line2", "line3", "line4", "line5"};
    std::ostringstream out;
    out << "const MascotEntry kMascots[kMascotCount] = {\n";
    for (const Line& line : catalogue_rows(path, header, kMascotCount, errors)) {
        const auto& f = line.fields;
        int row = std::stoi(f[0]);
        check_name(f[1], names, path, line, errors);
        if (f[1].empty()) errors.add(path, line.number, row, "the name is empty");
        if (f[2].empty()) errors.add(path, line.number, row, "the affiliation is empty");
        std::string comment = f[0] + " " + f[1] + " | " + f[2];
        for (int k = 0; k < kMascotLines; ++k) comment += " | " + f[3 + k];
        comment_line(out, comment);
        out << "    {" << literal(field_sjis(f[1], path, line, "the name", errors)) << ",\n     "
            << literal(field_sjis(f[2], path, line, "the affiliation", errors)) << ",\n     {";
        for (int k = 0; k < kMascotLines; ++k)
            out << (k ? ", " : "") << literal(field_sjis(f[3 + k], path, line, header[3 + k], errors));
        out << "}},\n";
    }
    out << "};\n";
    return out.str();
}

struct UiText {
    std::string key, utf8, sjis;
};

std::vector<UiText> ui_texts(const std::string& path, Errors& errors) {
    std::vector<Line> lines;
    std::vector<UiText> texts;
    if (!read_lines(path, lines, errors, true)) return texts;
    std::set<std::string> keys;
    for (const Line& line : lines) {
        if (line.fields.size() != 2) {
            errors.add(path, line.number, -1,
                       "has " + std::to_string(line.fields.size()) + " fields, 2 expected (key, tab, text)");
            continue;
        }
        const std::string& key = line.fields[0];
        bool identifier = key.size() > 1 && key[0] == 'k' && key[1] >= 'A' && key[1] <= 'Z';
        for (char c : key)
            identifier = identifier && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'));
        if (!identifier) {
            errors.add(path, line.number, -1, "the key \"" + key + "\" is not a name like kTitle");
            continue;
        }
        if (!keys.insert(key).second) {
            errors.add(path, line.number, -1, "the key " + key + " appears twice");
            continue;
        }
        UiText text{key, line.fields[1], {}};
        std::string problem;
        if (text.utf8.empty())
            errors.add(path, line.number, -1, key + " is empty");
        else if (!encode_cp932(text.utf8, text.sjis, problem))
            errors.add(path, line.number, -1, key + " " + problem);
        texts.push_back(text);
    }
    return texts;
}

bool write_file(const std::string& path, const std::string& content) {
    std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << content;
        out.close();
        if (!out) {
            std::fprintf(stderr, "%s: cannot write the file\n", temporary.c_str());
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::fprintf(stderr, "%s: cannot replace the file: %s\n", path.c_str(), std::strerror(errno));
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

const char* const kBanner =
    "// Generated by tools/catalogue/catalogue_gen from the tables in content/.\n"
    "// Do not edit: change the table and rebuild. Texts are Shift-JIS (code page 932).\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr,
                     "usage: %s MUNICIPALITIES.tsv MASCOTS.tsv UI_TEXTS.tsv PIECE_GEOMETRY.cpp OUT_DIR\n",
                     argc > 0 ? argv[0] : "catalogue_gen");
        return 2;
    }
    const std::string municipalities_path = argv[1], mascots_path = argv[2], ui_path = argv[3],
                      geometry_path = argv[4], out_dir = argv[5];

    Converter encoder("CP932", "UTF-8"), decoder("UTF-8", "CP932");
    if (!encoder.ok() || !decoder.ok()) {
        std::fprintf(stderr, "catalogue_gen: iconv has no converter for code page 932 (CP932)\n");
        return 1;
    }
    to_cp932 = &encoder;
    from_cp932 = &decoder;

    Errors errors;
    std::string geometry;
    {
        std::ifstream in(geometry_path, std::ios::binary);
        if (!in) errors.add(geometry_path, 0, -1, "cannot open the file");
        geometry.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::vector<std::string> municipality_names = geometry_names(geometry, "kMunicipalities", geometry_path, errors);
    std::vector<std::string> mascot_names = geometry_names(geometry, "kMascotHomes", geometry_path, errors);
    if (errors.messages.empty() && municipality_names.size() != kMunicipalityCount)
        errors.add(geometry_path, 0, -1, "kMunicipalities names " + std::to_string(municipality_names.size()) +
                                             " pieces, 63 expected");
    if (errors.messages.empty() && mascot_names.size() != kMascotCount)
        errors.add(geometry_path, 0, -1, "kMascotHomes names " + std::to_string(mascot_names.size()) +
                                             " pieces, 95 expected");

    std::string municipalities = municipalities_source(municipalities_path, municipality_names, errors);
    std::string mascots = mascots_source(mascots_path, mascot_names, errors);
    std::vector<UiText> texts = ui_texts(ui_path, errors);

    if (!errors.messages.empty()) {
        for (const auto& message : errors.messages) std::fprintf(stderr, "%s\n", message.c_str());
        std::fprintf(stderr, "catalogue_gen: %zu error(s); nothing was written\n", errors.messages.size());
        return 1;
    }

    std::ostringstream catalogue;
    catalogue << kBanner << "\n#include \"content/catalogue_data.h\"\n\nnamespace catalogue_data {\n\n"
              << municipalities << "\n"
              << mascots << "\n}  // namespace catalogue_data\n";

    std::ostringstream header, source;
    header << kBanner << "#pragma once\n\nnamespace ui_text {\n\n";
    source << kBanner << "\n#include \"ui_text.h\"\n\nnamespace ui_text {\n\n";
    for (const UiText& text : texts) {
        header << "extern const char " << text.key << "[];  // " << comment_text(text.utf8) << "\n";
        source << "const char " << text.key << "[] = " << literal(text.sjis) << ";  // " << comment_text(text.utf8) << "\n";
    }
    header << "\n}  // namespace ui_text\n";
    source << "\n}  // namespace ui_text\n";

    bool ok = write_file(out_dir + "/catalogue_data.cpp", catalogue.str()) &&
              write_file(out_dir + "/ui_text.h", header.str()) && write_file(out_dir + "/ui_text.cpp", source.str());
    return ok ? 0 : 1;
}
