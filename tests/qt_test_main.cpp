// Test programs that need windows: one application object for the whole run, on Qt's
// offscreen platform unless the environment names another, with every dialog answered by a
// test hook instead of a window.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/application.h"
#include "platform/dialogs.h"

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    pellumo::TApplication application(argc, argv);
    pellumo::SetDialogHook([](const pellumo::TDialogRequest& request) {
        ADD_FAILURE() << "unexpected dialog: " << request.Title << ": " << request.Text;
        return pellumo::mrCancel;
    });
    return RUN_ALL_TESTS();
}
