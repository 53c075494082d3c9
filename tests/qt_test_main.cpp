// Test programs that need windows: one application object for the whole run, on Qt's
// offscreen platform unless the environment names another, with every dialog answered by a
// test hook instead of a window.
#include <gtest/gtest.h>

#include <cstdlib>

#include "dialog_hooks.h"
#include "platform/application.h"

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    pellumo::TApplication application(argc, argv);
    pellumo::FailOnUnexpectedDialogs();
    return RUN_ALL_TESTS();
}
