// The record file on any bytes: the best times read must be record values
// (above 0, at most 3599 s, whole seconds), and writing them back and
// reading them again must give the same times.
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "content/records.h"
#include "state/game_state.h"


namespace {

const std::string& scratch(const char* name) {
    static std::string paths[2];
    static bool made = false;
    if (!made) {
        const char* tmp = std::getenv("TMPDIR");
        std::string base = std::string(tmp ? tmp : "/tmp") + "/pokomaru-fuzz-records-" + std::to_string(getpid());
        paths[0] = base + ".in";
        paths[1] = base + ".out";
        made = true;
    }
    return paths[name[0] == 'o'];
}

void check_times() {
    for (double t : game.best_seconds) {
        if (!std::isfinite(t) || t <= 0 || t > kNoRecordSeconds || t != std::floor(t)) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& in = scratch("in");
    const std::string& out = scratch("out");
    std::FILE* f = std::fopen(in.c_str(), "wb");
    if (!f) return 0;
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);

    game.best_seconds[0] = 1234;
    game.best_seconds[1] = 2345;
    records_detail::load_records_from(in.c_str());
    check_times();

    const double read[2] = {game.best_seconds[0], game.best_seconds[1]};
    records_detail::save_records_to(out.c_str());
    game.best_seconds[0] = game.best_seconds[1] = 77;
    records_detail::load_records_from(out.c_str());
    if (game.best_seconds[0] != read[0] || game.best_seconds[1] != read[1]) std::abort();
    std::remove(in.c_str());
    std::remove(out.c_str());
    return 0;
}
