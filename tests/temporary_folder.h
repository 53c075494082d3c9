#pragma once

// A folder of the test's own under the system's temporary folder, removed with everything in
// it when the test ends.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace pellumo::test {

class TemporaryFolderTest : public ::testing::Test {
protected:
    std::filesystem::path folder;

    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "pellumo-test-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    void TearDown() override {
        if (!folder.empty()) std::filesystem::remove_all(folder);  // empty when SetUp did not get to it
    }
};

}  // namespace pellumo::test
