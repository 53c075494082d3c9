#pragma once

// How the window tests meet dialogs: by default any dialog is a failure of the test (no window
// would answer it); a test that expects questions answers them itself, then hands back.
#include <gtest/gtest.h>

#include "platform/dialogs.h"

namespace pellumo {

inline void FailOnUnexpectedDialogs() {
    SetDialogHook([](const TDialogRequest& request) {
        ADD_FAILURE() << "unexpected dialog: " << request.Title << ": " << request.Text;
        return mrCancel;
    });
}

}  // namespace pellumo
