#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/temp_data_dir.h"

namespace fs = std::filesystem;

TEST(TempDataDir, RunsInAFreshDirectoryAndPutsEverythingBack) {
    const fs::path before = fs::current_path();
    fs::path made;
    {
        TempDataDir dir;
        made = dir.path();
        EXPECT_TRUE(fs::equivalent(fs::current_path(), made));
        EXPECT_NE(made, before);
        EXPECT_TRUE(fs::is_empty(made));
        std::ofstream("CUST5.dbf") << "x";
        EXPECT_TRUE(fs::exists(dir.file("CUST5.dbf")));
    }
    EXPECT_EQ(fs::current_path(), before);
    EXPECT_FALSE(fs::exists(made));
}

TEST(TempDataDir, TwoFixturesNeverShareADirectory) {
    TempDataDir a;
    std::ofstream("marker") << "a";
    TempDataDir b;
    EXPECT_FALSE(fs::exists("marker"));
}
