#include "base/format.h"

#include <gtest/gtest.h>

namespace pellumo {
namespace {

TEST(Format, FillsPlaceholdersInOrderAndNeverReadsPastTheArguments) {
    EXPECT_EQ(Format("Cannot load image. %s not supported for %s files.", {"The compression scheme is", "TIFF"}),
              "Cannot load image. The compression scheme is not supported for TIFF files.");
    EXPECT_EQ(Format("%d%% of %s", {"50", "x"}), "50% of x");
    EXPECT_EQ(Format("%s and %s", {"one"}), "one and ");
    EXPECT_EQ(Format("ends with %", {}), "ends with %");
    EXPECT_EQ(Format("%q stays", {"unused"}), "%q stays");
}

}  // namespace
}  // namespace pellumo
