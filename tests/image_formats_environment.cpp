// Test programs that load pictures by extension: the image library's formats are started for
// the whole run, as a program's main starts them, and stopped at its end.
#include <gtest/gtest.h>

#include "imaging/formats/format_registry.h"

namespace pellumo {
namespace {

class TImageFormatsEnvironment : public ::testing::Environment {
public:
    void SetUp() override { StartImageFormats(); }
    void TearDown() override { StopImageFormats(); }
};

[[maybe_unused]] const ::testing::Environment* const kImageFormats =
    ::testing::AddGlobalTestEnvironment(new TImageFormatsEnvironment);

}  // namespace
}  // namespace pellumo
