// Start-up in its fixed order: each failed stage shows its own message
// under "初期化失敗" and start-up stops; a missing controller changes
// nothing; a bad atlas file is a graphics failure, never a crash.
#include <gtest/gtest.h>
#include <fcntl.h>
#if !defined(_WIN32)
#include <SDL.h>
#endif
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "state/platform_objects.h"
#include "platform/test_hooks.h"
#include "state/game_state.h"
#include "shell/main_window.h"
#include "shell/shell_loop.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::pair<std::string, std::string>> boxes;

class StartUp : public ::testing::Test {
protected:
    void SetUp() override {
        boxes.clear();
        clear_faults();
        set_message_box_observer([](const std::string& c, const std::string& t) { boxes.emplace_back(c, t); });
        set_message_boxes_suppressed(true);
        source = POKOMARU_SOURCE_DIR;
        dir = fs::temp_directory_path() / ("pokomaru-startup-" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir / "game");
        for (const auto& e : fs::directory_iterator(source / "game"))
            if (e.path().filename() != "data_save.dat") fs::copy(e.path(), dir / "game" / e.path().filename());
        fs::current_path(dir);
        game = GameState{};
    }
    void TearDown() override {
        clear_faults();
        set_message_box_observer(nullptr);
        fs::current_path(source);
        fs::remove_all(dir);
    }

    friend int test_start(StartUp& test) { return test.start(); }

    // Runs start-up; on success shuts down again. Returns start_up's result.
    int start() {
        int ok = start_up(platform_instance());
        if (ok) release_all(platform_instance());
        EXPECT_EQ(main_window, nullptr);
        EXPECT_EQ(device, nullptr);
        return ok;
    }

    void expect_failure_message(const std::string& text) {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].first, "初期化失敗");
        EXPECT_EQ(boxes[0].second, text);
    }

    fs::path source, dir;
};

TEST_F(StartUp, SucceedsWithEveryStageAndNoController) {
    EXPECT_EQ(start(), 1);
    EXPECT_TRUE(boxes.empty());
    // It can run again in the same process: everything was released.
    EXPECT_EQ(start(), 1);
}

TEST_F(StartUp, WindowFailures) {
    set_fault(Fault::ClassRegistration, true);
    EXPECT_EQ(start(), 0);
    expect_failure_message("アプリケーションの初期化を失敗しました");
    clear_faults();
    boxes.clear();
    set_fault(Fault::WindowCreation, true);
    EXPECT_EQ(start(), 0);
    expect_failure_message("アプリケーションの初期化を失敗しました");
}

TEST_F(StartUp, GraphicsFailures) {
    for (Fault f : {Fault::Direct3D, Fault::AnyDevice}) {
        clear_faults();
        boxes.clear();
        set_fault(f, true);
        EXPECT_EQ(start(), 0);
        expect_failure_message("DirectX Graphicsの初期化を失敗しました");
    }
}

TEST_F(StartUp, WithoutAHardwareDeviceTheSoftwareOneIsUsed) {
    set_fault(Fault::HardwareDevice, true);
    EXPECT_EQ(start(), 1);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(StartUp, InputAndSoundFailures) {
    set_fault(Fault::Keyboard, true);
    EXPECT_EQ(start(), 0);
    expect_failure_message("DirectX Input(Key)の初期化を失敗しました");
    clear_faults();
    boxes.clear();
    set_fault(Fault::Mouse, true);
    EXPECT_EQ(start(), 0);
    expect_failure_message("DirectX Input(Mouse)の初期化を失敗しました");
    clear_faults();
    boxes.clear();
    set_fault(Fault::AudioPath, true);
    EXPECT_EQ(start(), 0);
    expect_failure_message("DirectX Musicの初期化を失敗しました");
    clear_faults();
    boxes.clear();
    set_fault(Fault::Controller, true);
    EXPECT_EQ(start(), 1);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(StartUp, ABadAtlasFileIsAGraphicsFailure) {
    const fs::path atlas = dir / "game" / "bitmap.png";
    std::vector<char> good;
    {
        std::ifstream in(atlas, std::ios::binary);
        good.assign(std::istreambuf_iterator<char>(in), {});
    }
    ASSERT_GT(good.size(), 1000u);
    auto write = [&](const std::vector<char>& bytes) {
        std::ofstream out(atlas, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    };
    std::vector<std::vector<char>> bad_files;
    bad_files.push_back({});                                                  // empty
    bad_files.emplace_back(good.begin(), good.begin() + good.size() / 2);     // truncated
    bad_files.push_back(good);
    for (std::size_t i = good.size() / 3; i < good.size() / 3 + 64; ++i) bad_files.back()[i] ^= 0x5A;  // corrupt
    bad_files.emplace_back(std::vector<char>{'G', 'I', 'F', '8', '9', 'a', 0, 0});  // not a PNG
    for (const auto& bytes : bad_files) {
        boxes.clear();
        write(bytes);
        EXPECT_EQ(start(), 0);
        expect_failure_message("DirectX Graphicsの初期化を失敗しました");
    }
    boxes.clear();
    fs::remove(atlas);
    EXPECT_EQ(start(), 0);
    expect_failure_message("DirectX Graphicsの初期化を失敗しました");
}

#if !defined(_WIN32)
// Runs start-up in a thread so that a start-up that waits forever fails
// the test; `unblock` then sets it free (it opens the FIFO's other end).
template <typename Unblock>
int start_within(StartUp& test, int seconds, Unblock unblock, bool& waited) {
    auto started = std::async(std::launch::async, [&test] {
        const int result = test_start(test);
        SDL_TLSCleanup();  // SDL frees a thread's error text only for its own threads
        return result;
    });
    waited = started.wait_for(std::chrono::seconds(seconds)) != std::future_status::ready;
    if (waited) unblock();
    return started.get();
}
#endif

TEST_F(StartUp, AtlasCutAnywhereOrNotAFileIsAGraphicsFailure) {
    const fs::path atlas = dir / "game" / "bitmap.png";
    std::vector<char> good;
    {
        std::ifstream in(atlas, std::ios::binary);
        good.assign(std::istreambuf_iterator<char>(in), {});
    }
    ASSERT_GT(good.size(), 1000u);
    auto write = [&](const std::vector<char>& bytes) {
        fs::remove_all(atlas);
        std::ofstream out(atlas, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    };
    auto expect_graphics_failure = [&](const std::string& what) {
        boxes.clear();
        EXPECT_EQ(start(), 0) << what;
        ASSERT_EQ(boxes.size(), 1u) << what;
        EXPECT_EQ(boxes[0].second, "DirectX Graphicsの初期化を失敗しました") << what;
    };
    for (int k = 1; k <= 10; ++k) {
        const std::size_t cut = good.size() * static_cast<std::size_t>(k) / 11;
        write({good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut)});
        expect_graphics_failure("cut at " + std::to_string(cut));
    }
    write({'\xFF', '\xD8', '\xFF', '\xE0', 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
    expect_graphics_failure("a JPEG");
    fs::remove_all(atlas);
    fs::create_directory(atlas);
    expect_graphics_failure("a folder");
#if !defined(_WIN32)
    // Device links and FIFOs: files that never end or never open.
    fs::remove_all(atlas);
    fs::create_symlink("/dev/zero", atlas);
    expect_graphics_failure("a link to /dev/zero");
    fs::remove_all(atlas);
    ASSERT_EQ(mkfifo(atlas.c_str(), 0600), 0);
    boxes.clear();
    bool waited = false;
    const int ok = start_within(*this, 20, [&] { close(open(atlas.c_str(), O_WRONLY | O_NONBLOCK)); }, waited);
    EXPECT_FALSE(waited) << "start-up waited 20 s on a FIFO as the atlas";
    EXPECT_EQ(ok, 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].second, "DirectX Graphicsの初期化を失敗しました");
#endif
}

TEST_F(StartUp, ARecordFileThatIsNoFileStartsWithoutRecords) {
    const fs::path record = dir / "game" / "data_save.dat";
    fs::create_directory(record);
    EXPECT_EQ(start(), 1);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(game.best_seconds[0], 3599.0);
#if !defined(_WIN32)
    fs::remove_all(record);

    ASSERT_EQ(mkfifo(record.c_str(), 0600), 0);
    bool waited = false;
    const int ok = start_within(*this, 20, [&] { close(open(record.c_str(), O_WRONLY | O_NONBLOCK)); }, waited);
    EXPECT_FALSE(waited) << "start-up waited 20 s on a FIFO as the record file";
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(game.best_seconds[1], 3599.0);
#endif
}

}  // namespace
