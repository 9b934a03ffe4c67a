// The record file game/data_save.dat: how its four bytes read back as best
// times (short, empty and out-of-range files included), how the times are
// written, and that a failed write never costs the previous records.

#include "content/records.h"
#include "platform/record_file.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cmath>
#include <filesystem>
#include <future>
#include <limits>
#include <random>

#include "content_test_support.h"
#include "state/game_state.h"

namespace {

using content_test::read_bytes;
using content_test::ScratchFolder;
using content_test::write_bytes;

const char* const kRecord = "game/data_save.dat";
const char* const kTemporary = "game/data_save.dat.tmp";

class RecordFile : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(folder_.path().empty());
        std::filesystem::create_directory("game");
        game.best_seconds[0] = kNoRecordSeconds;
        game.best_seconds[1] = kNoRecordSeconds;
        set_record_replace_failure(false);
    }
    void TearDown() override { set_record_replace_failure(false); }

    void load_from_bytes(const std::string& bytes) {
        write_bytes(kRecord, bytes);
        load_records();
    }

    ScratchFolder folder_{true};
};

std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out += static_cast<char>(v);
    return out;
}

TEST_F(RecordFile, StartsWithoutRecords) {
    GameState fresh;
    EXPECT_EQ(fresh.best_seconds[0], 3599.0);
    EXPECT_EQ(fresh.best_seconds[1], 3599.0);
}

TEST_F(RecordFile, MissingFileKeepsTheTimesInMemory) {
    load_records();
    EXPECT_EQ(game.best_seconds[0], 3599.0);
    EXPECT_EQ(game.best_seconds[1], 3599.0);

    game.best_seconds[0] = 125.7;
    game.best_seconds[1] = 42.0;
    load_records();
    EXPECT_EQ(game.best_seconds[0], 125.7);
    EXPECT_EQ(game.best_seconds[1], 42.0);
}

TEST_F(RecordFile, ReadsMinutesAndSecondsOfBothModes) {
    load_from_bytes(bytes({1, 2, 3, 4}));
    EXPECT_EQ(game.best_seconds[0], 62.0);
    EXPECT_EQ(game.best_seconds[1], 184.0);
}

TEST_F(RecordFile, EmptyFileMeansNoRecords) {
    game.best_seconds[0] = 100.0;
    game.best_seconds[1] = 200.0;
    load_from_bytes("");
    EXPECT_EQ(game.best_seconds[0], 3599.0);
    EXPECT_EQ(game.best_seconds[1], 3599.0);
}

TEST_F(RecordFile, MissingBytesCountAsMinusOne) {
    load_from_bytes(bytes({5, 30}));
    EXPECT_EQ(game.best_seconds[0], 330.0);
    EXPECT_EQ(game.best_seconds[1], 3599.0);  // 60 x -1 + -1

    // Three bytes: the mascot seconds byte is missing, 60 x 2 - 1 = 119.
    load_from_bytes(bytes({5, 30, 2}));
    EXPECT_EQ(game.best_seconds[1], 119.0);
}

TEST_F(RecordFile, OutOfRangeTimesMeanNoRecord) {
    load_from_bytes(bytes({200, 0, 0, 0}));
    EXPECT_EQ(game.best_seconds[0], 3599.0);  // 12000 s
    EXPECT_EQ(game.best_seconds[1], 3599.0);  // zero is no record

    load_from_bytes(bytes({59, 58, 59, 59}));
    EXPECT_EQ(game.best_seconds[0], 3598.0);
    EXPECT_EQ(game.best_seconds[1], 3599.0);

    load_from_bytes(bytes({0, 255, 0, 1}));  // seconds above 59 still add up
    EXPECT_EQ(game.best_seconds[0], 255.0);
    EXPECT_EQ(game.best_seconds[1], 1.0);
}

TEST_F(RecordFile, ExtraBytesAreIgnored) {
    load_from_bytes(bytes({1, 0, 2, 0, 9, 9, 9}));
    EXPECT_EQ(game.best_seconds[0], 60.0);
    EXPECT_EQ(game.best_seconds[1], 120.0);
}

TEST_F(RecordFile, SavesWholeMinutesAndSeconds) {
    game.best_seconds[0] = 125.7;
    game.best_seconds[1] = 3599.0;
    save_records();
    EXPECT_EQ(read_bytes(kRecord), bytes({2, 5, 59, 59}));
    EXPECT_EQ(game.best_seconds[0], 125.7);  // the fraction stays in memory

    load_records();
    EXPECT_EQ(game.best_seconds[0], 125.0);
    EXPECT_EQ(game.best_seconds[1], 3599.0);
}

TEST_F(RecordFile, SavingClampsTheTimesInMemory) {
    game.best_seconds[0] = -5.0;
    game.best_seconds[1] = std::numeric_limits<double>::quiet_NaN();
    save_records();
    EXPECT_EQ(game.best_seconds[0], 3599.0);
    EXPECT_EQ(game.best_seconds[1], 3599.0);
    EXPECT_EQ(read_bytes(kRecord), bytes({59, 59, 59, 59}));

    game.best_seconds[0] = 0.0;
    game.best_seconds[1] = 3599.5;
    save_records();
    EXPECT_EQ(game.best_seconds[0], 3599.0);
    EXPECT_EQ(game.best_seconds[1], 3599.0);

    game.best_seconds[0] = 0.5;  // above 0: a record of 0 minutes 0 seconds
    game.best_seconds[1] = 3598.9;
    save_records();
    EXPECT_EQ(read_bytes(kRecord), bytes({0, 0, 59, 58}));
}

TEST_F(RecordFile, SaveReplacesTheOldFileAndLeavesNoTemporary) {
    write_bytes(kRecord, bytes({10, 0, 20, 0}));
    game.best_seconds[0] = 61.0;
    game.best_seconds[1] = 62.0;
    save_records();
    EXPECT_EQ(read_bytes(kRecord), bytes({1, 1, 1, 2}));
    EXPECT_FALSE(std::filesystem::exists(kTemporary));
}

TEST_F(RecordFile, FailureBeforeTheRenameKeepsTheOldRecordsWhole) {
    const std::string old = bytes({10, 0, 20, 0});
    write_bytes(kRecord, old);
    game.best_seconds[0] = 61.0;
    game.best_seconds[1] = 62.0;
    set_record_replace_failure(true);
    save_records();
    EXPECT_EQ(read_bytes(kRecord), old);
    EXPECT_FALSE(std::filesystem::exists(kTemporary));

    // The next read brings the older records back, as if nothing was written.
    load_records();
    EXPECT_EQ(game.best_seconds[0], 600.0);
    EXPECT_EQ(game.best_seconds[1], 1200.0);
}

TEST_F(RecordFile, StaleTemporaryFromAnEarlierCrashDoesNotMatter) {
    write_bytes(kRecord, bytes({1, 0, 2, 0}));
    write_bytes(kTemporary, bytes({9, 9, 9, 9, 9, 9, 9, 9}));
    load_records();
    EXPECT_EQ(game.best_seconds[0], 60.0);

    game.best_seconds[0] = 30.0;
    save_records();
    EXPECT_EQ(read_bytes(kRecord), bytes({0, 30, 2, 0}));
    EXPECT_FALSE(std::filesystem::exists(kTemporary));
}

TEST_F(RecordFile, UnwritableFolderChangesNothing) {
    std::filesystem::remove_all("game");
    game.best_seconds[0] = 125.7;
    game.best_seconds[1] = -1.0;  // would be clamped if the file had opened
    save_records();
    EXPECT_FALSE(std::filesystem::exists("game"));
    EXPECT_EQ(game.best_seconds[0], 125.7);
    EXPECT_EQ(game.best_seconds[1], -1.0);

    // game is a plain file, so nothing can be made inside it.
    write_bytes("game", "not a folder");
    save_records();
    EXPECT_EQ(read_bytes("game"), "not a folder");
    EXPECT_EQ(game.best_seconds[1], -1.0);
    load_records();
    EXPECT_EQ(game.best_seconds[0], 125.7);
}

TEST_F(RecordFile, PathsOtherThanTheGameFolderWork) {
    std::filesystem::create_directory("elsewhere");
    game.best_seconds[0] = 75.0;
    game.best_seconds[1] = 3000.0;
    records_detail::save_records_to("elsewhere/records.dat");
    EXPECT_EQ(read_bytes("elsewhere/records.dat"), bytes({1, 15, 50, 0}));
    EXPECT_FALSE(std::filesystem::exists(kRecord));

    game.best_seconds[0] = game.best_seconds[1] = 3599.0;
    records_detail::load_records_from("elsewhere/records.dat");
    EXPECT_EQ(game.best_seconds[0], 75.0);
    EXPECT_EQ(game.best_seconds[1], 3000.0);
}

}  // namespace

// What a user or a mishap may leave at the record file's name: the game
// neither hangs on it nor loses the times it has.
namespace {

class RecordFileOddities : public RecordFile {};

TEST_F(RecordFileOddities, ReadOnlyFileIsKeptAndMemoryKeepsTheNewTime) {
    const std::string old = bytes({10, 0, 20, 0});
    write_bytes(kRecord, old);
    std::filesystem::permissions(kRecord, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                              std::filesystem::perms::others_read);
    const auto inode_before = std::filesystem::status(kRecord).permissions();
    game.best_seconds[0] = 61.0;
    game.best_seconds[1] = -5.0;  // would be clamped if the file had opened
    save_records();
    EXPECT_EQ(read_bytes(kRecord), old);
    EXPECT_EQ(std::filesystem::status(kRecord).permissions(), inode_before) << "the file was replaced";
    EXPECT_FALSE(std::filesystem::exists(kTemporary));
    EXPECT_EQ(game.best_seconds[0], 61.0);
    EXPECT_EQ(game.best_seconds[1], -5.0);

    // Made writable again, the same save goes through.
    std::filesystem::permissions(kRecord, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    save_records();
    EXPECT_EQ(read_bytes(kRecord), bytes({1, 1, 59, 59}));
}

TEST_F(RecordFileOddities, DirectoryIsAFileThatCannotBeOpened) {
    std::filesystem::create_directory(kRecord);
    game.best_seconds[0] = 125.0;
    game.best_seconds[1] = 300.0;
    load_records();
    EXPECT_EQ(game.best_seconds[0], 125.0);
    EXPECT_EQ(game.best_seconds[1], 300.0);

    game.best_seconds[1] = 200.5;
    save_records();
    EXPECT_TRUE(std::filesystem::is_directory(kRecord));
    EXPECT_FALSE(std::filesystem::exists(kTemporary));
    EXPECT_EQ(game.best_seconds[1], 200.5);
}

// FIFOs, devices and symbolic links as a Linux user meets them.
#if !defined(_WIN32)
TEST_F(RecordFileOddities, FifoNeitherBlocksReadingNorWriting) {
    ASSERT_EQ(mkfifo(kRecord, 0600), 0);
    game.best_seconds[0] = 90.0;
    // Run in a thread so that a blocking open fails the test instead of
    // hanging it; a writer is then opened to set the reader free.
    auto load = std::async(std::launch::async, [] { load_records(); });
    if (load.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        const int unblock = open(kRecord, O_WRONLY | O_NONBLOCK);
        load.wait();
        if (unblock >= 0) close(unblock);
        FAIL() << "load_records waited on the FIFO for 10 s";
    }
    EXPECT_EQ(game.best_seconds[0], 90.0);

    auto save = std::async(std::launch::async, [] { save_records(); });
    ASSERT_EQ(save.wait_for(std::chrono::seconds(10)), std::future_status::ready) << "save_records blocked";
    std::filesystem::file_status status = std::filesystem::symlink_status(kRecord);
    EXPECT_EQ(status.type(), std::filesystem::file_type::fifo);
    EXPECT_EQ(game.best_seconds[0], 90.0);
}

TEST_F(RecordFileOddities, LinkToAnEndlessDeviceReadsAsMissing) {
    std::filesystem::create_symlink("/dev/zero", kRecord);
    game.best_seconds[0] = 70.0;
    game.best_seconds[1] = 80.0;
    load_records();  // /dev/zero would read as 0, 0: "no record" for both
    EXPECT_EQ(game.best_seconds[0], 70.0);
    EXPECT_EQ(game.best_seconds[1], 80.0);
}

TEST_F(RecordFileOddities, DanglingLinkReadsAsMissingAndSavingMakesAFile) {
    std::filesystem::create_symlink("nowhere.dat", kRecord);
    game.best_seconds[0] = 70.0;
    load_records();
    EXPECT_EQ(game.best_seconds[0], 70.0);
    save_records();
    game.best_seconds[0] = 3599.0;
    load_records();
    EXPECT_EQ(game.best_seconds[0], 70.0);
}

TEST_F(RecordFileOddities, LinkAtTheTemporaryNameIsNotWrittenThrough) {
    write_bytes("elsewhere.dat", bytes({7, 7}));
    std::filesystem::create_symlink("../elsewhere.dat", kTemporary);
    game.best_seconds[0] = 61.0;
    save_records();
    EXPECT_EQ(read_bytes("elsewhere.dat"), bytes({7, 7}));
    EXPECT_EQ(read_bytes(kRecord), bytes({1, 1, 59, 59}));
    EXPECT_FALSE(std::filesystem::exists(kTemporary));
}

#endif  // !defined(_WIN32)

TEST_F(RecordFileOddities, AnySizeFrom0To100BytesReadsThePrefixAsDesigned) {
    for (int size = 0; size <= 100; ++size) {
        std::string data;
        for (int i = 0; i < size; ++i) data += static_cast<char>((i * 37 + size) & 0xFF);
        load_from_bytes(data);
        for (int mode = 0; mode < 2; ++mode) {
            const int minutes = 2 * mode < size ? static_cast<unsigned char>(data[2 * mode]) : -1;
            const int seconds = 2 * mode + 1 < size ? static_cast<unsigned char>(data[2 * mode + 1]) : -1;
            const double sum = 60.0 * minutes + seconds;
            const double want = (sum > 0 && sum < 3599) ? sum : 3599.0;
            EXPECT_EQ(game.best_seconds[mode], want) << size << " bytes, mode " << mode;
        }
    }
}

}  // namespace

#if !defined(_WIN32)
namespace {

// A save killed at any moment leaves either the old file or the new one,
// whole: never a torn or empty record file.
TEST_F(RecordFile, KilledInTheMiddleOfSavesNeverLeavesATornFile) {
    const std::string first = bytes({1, 2, 3, 4});
    write_bytes(kRecord, first);
    std::mt19937 random(20261208);
    int killed_while_saving = 0;
    for (int round = 0; round < 300; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Alternates between two records as fast as it can.
            for (int i = 0;; ++i) {
                game.best_seconds[0] = (i % 2) ? 61.0 : 62.0;
                game.best_seconds[1] = (i % 2) ? 121.0 : 122.0;
                save_records();
            }
        }
        usleep(static_cast<useconds_t>(random() % 3000));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        killed_while_saving += WIFSIGNALED(status);
        const std::string now = read_bytes(kRecord);
        ASSERT_TRUE(now == first || now == bytes({1, 1, 2, 1}) || now == bytes({1, 2, 2, 2}))
            << "round " << round << ": the record file holds " << now.size() << " bytes";
    }
    EXPECT_EQ(killed_while_saving, 300);
}

}  // namespace
#endif  // !defined(_WIN32)
