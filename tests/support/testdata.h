#pragma once

#include <gtest/gtest.h>

#include <string_view>

// Skips the test when the build found no folder of shared test data (real project XML files
// and their schema); the configure step warns about it.
#define MAPOLT_REQUIRE_TESTDATA()                                                                  \
    if (std::string_view(MAPOLT_TESTDATA_DIR).empty())                                             \
    GTEST_SKIP() << "no shared test data folder (configure with -DMAPOLT_TESTDATA_DIR=FOLDER)"
