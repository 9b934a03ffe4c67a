// The record file as the scenes save and read it, in the null backend's
// memory file system: the bytes written, and the old file kept whole when
// the replace fails.

#include <gtest/gtest.h>

#include "content/records.h"
#include "platform/null/null_backend.h"
#include "platform/record_file.h"
#include "test_support.h"

namespace {

using records_detail::kRecordPath;

TEST(SavedRecords, ASavedFileIsReadBackAndAFailedReplaceKeepsTheOldOne) {
    start_game_state();
    game.best_seconds[0] = 75.9;
    game.best_seconds[1] = 200;
    save_records();
    EXPECT_EQ(memory_file(kRecordPath), (MemoryFileBytes{1, 15, 3, 20}));
    game.best_seconds[0] = game.best_seconds[1] = 3599;
    load_records();
    EXPECT_EQ(game.best_seconds[0], 75);
    EXPECT_EQ(game.best_seconds[1], 200);

    set_record_replace_failure(true);
    game.best_seconds[0] = 30;
    save_records();
    set_record_replace_failure(false);
    EXPECT_EQ(memory_file(kRecordPath), (MemoryFileBytes{1, 15, 3, 20}));
    EXPECT_FALSE(memory_file(std::string(kRecordPath) + ".tmp"));
    ASSERT_EQ(record_log.size(), 2u);  // the failed replace replaced nothing
    EXPECT_EQ(record_log[0].name, "save_records");
    EXPECT_EQ(record_log[1].name, "load_records");
}

}  // namespace
