// Helpers shared by the content tests: a scratch folder that becomes the
// current directory, code page 932 encoding for expected texts, and the
// UTF-8 tables the catalogue is generated from.
#pragma once

#if defined(_WIN32)
#include <windows.h>
#else
#include <iconv.h>
#include <stdlib.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace content_test {

// A fresh folder under the system's temporary folder, removed with its
// contents at the end. With enter = true it is also the current directory
// for its lifetime, so relative paths such as game/data_save.dat land in it.
class ScratchFolder {
public:
    explicit ScratchFolder(bool enter) : entered_(enter) {
        path_ = make_unique_folder();
        if (entered_ && !path_.empty()) {
            previous_ = std::filesystem::current_path();
            std::filesystem::current_path(path_);
        }
    }
    ~ScratchFolder() {
        if (entered_ && !previous_.empty()) std::filesystem::current_path(previous_);
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }

private:
    static std::string make_unique_folder() {
#if defined(_WIN32)
        // No mkdtemp on Windows: try numbered names until one is new.
        const auto base = std::filesystem::temp_directory_path();
        for (unsigned n = 0; n < 1000; ++n) {
            auto candidate = base / ("pokomaru-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                                     std::to_string(GetTickCount()) + "-" + std::to_string(n));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error)) return candidate.string();
        }
        return std::string();
#else
        std::string pattern = (std::filesystem::temp_directory_path() / "pokomaru-test-XXXXXX").string();
        return mkdtemp(pattern.data()) ? pattern : std::string();
#endif
    }

    bool entered_;
    std::string path_;
    std::filesystem::path previous_;
};

inline std::string read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void write_bytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// UTF-8 to code page 932 (iconv, or the system's own converter on
// Windows), independently of the generator. Returns "<unencodable>" when
// the converter refuses.
inline std::string utf8_to_cp932(const std::string& utf8) {
#if defined(_WIN32)
    if (utf8.empty()) return std::string();
    int wide_length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                                          nullptr, 0);
    if (wide_length <= 0) return "<unencodable>";
    std::wstring wide(static_cast<std::size_t>(wide_length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                        wide_length);
    BOOL lossy = FALSE;
    int length = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), wide_length, nullptr, 0, nullptr, &lossy);
    if (length <= 0 || lossy) return "<unencodable>";
    std::string out(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), wide_length, out.data(), length, nullptr, nullptr);
    return out;
#else
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return "<no converter>";
    std::string out(utf8.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t in_left = utf8.size();
    char* dst = out.data();
    size_t dst_left = out.size();
    size_t r = iconv(cd, &in, &in_left, &dst, &dst_left);
    iconv_close(cd);
    if (r == static_cast<size_t>(-1)) return "<unencodable>";
    out.resize(out.size() - dst_left);
    return out;
#endif
}

// The data rows of a tab-separated table (the header line is dropped).
inline std::vector<std::vector<std::string>> read_tsv(const std::string& path) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(read_bytes(path));
    std::string line;
    bool header = true;
    while (std::getline(in, line)) {
        if (header) {
            header = false;
            continue;
        }
        std::vector<std::string> fields;
        std::size_t start = 0;
        while (true) {
            std::size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
            if (tab == std::string::npos) break;
            start = tab + 1;
        }
        rows.push_back(fields);
    }
    return rows;
}

inline std::string source_path(const std::string& relative) { return std::string(POKOMARU_SOURCE_DIR) + "/" + relative; }

}  // namespace content_test
