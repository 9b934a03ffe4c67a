#include "looks.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace portraits {

namespace {

std::vector<std::string> split(const std::string& s, char sep) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : s) {
        if (c == sep) {
            out.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    out.push_back(cur);
    return out;
}

std::string trim(const std::string& s) {
    size_t a = s.find_first_not_of(' '), b = s.find_last_not_of(' ');
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

}  // namespace

bool parse_colour(const std::string& text, Colour& out) {
    std::string t = trim(text);
    size_t hash = t.rfind('#');
    if (hash == std::string::npos || hash + 7 != t.size() || hash < 2 || t[hash - 1] != ' ') return false;
    unsigned v = 0;
    for (size_t i = hash + 1; i < t.size(); ++i) {
        char c = t[i];
        int d = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (d < 0) return false;
        v = v * 16 + unsigned(d);
    }
    out.name = trim(t.substr(0, hash - 1));
    out.rgb = v;
    return !out.name.empty();
}

std::vector<Look> read_looks(const std::string& path, const std::vector<std::string>& catalogue_names) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    std::vector<Look> looks;
    std::string line;
    int line_no = 0;
    auto fail = [&](const std::string& what) {
        throw std::runtime_error(path + ":" + std::to_string(line_no) + ": " + what);
    };
    while (std::getline(in, line)) {
        ++line_no;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line_no == 1 || line.empty()) continue;  // header
        auto f = split(line, '\t');
        if (f.size() != 9) fail("expected 9 columns, found " + std::to_string(f.size()));
        Look l;
        l.index = int(looks.size());
        if (f[0] != std::to_string(l.index)) fail("expected row " + std::to_string(l.index) + ", found " + f[0]);
        l.name = f[1];
        if (size_t(l.index) >= catalogue_names.size() || catalogue_names[size_t(l.index)] != l.name)
            fail("the name " + l.name + " is not the catalogue's row " + f[0]);
        l.kind = f[2];
        l.body = f[3];
        if (!parse_colour(f[4], l.main)) fail("main colour is not \"name #RRGGBB\": " + f[4]);
        for (const auto& part : split(f[5], ',')) {
            Colour c;
            if (!parse_colour(part, c)) fail("accent colour is not \"name #RRGGBB\": " + part);
            l.accents.push_back(c);
        }
        if (l.accents.empty() || l.accents.size() > 2) fail("one or two accent colours expected");
        l.head = f[6];
        l.item = f[7];
        l.source = f[8];
        if (l.kind.empty() || l.body.empty() || l.head.empty() || l.item.empty() || l.source.empty())
            fail("an empty column");
        looks.push_back(l);
    }
    if (looks.size() != catalogue_names.size())
        throw std::runtime_error(path + ": " + std::to_string(looks.size()) + " rows for " +
                                 std::to_string(catalogue_names.size()) + " mascots");
    return looks;
}

}  // namespace portraits
