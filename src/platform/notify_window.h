#pragma once

#include <functional>
#include <memory>

class QObject;

namespace pellumo {

// A hidden receiver of messages on the user-interface thread: any thread may post to it, and
// the user-interface thread may take just its messages while it waits for something.
class TNotifyWindow {
public:
    TNotifyWindow();  // on the user-interface thread
    ~TNotifyWindow();  // messages still posted to it are dropped
    TNotifyWindow(const TNotifyWindow&) = delete;
    TNotifyWindow& operator=(const TNotifyWindow&) = delete;

    // Any thread: runs the message later on the user-interface thread.
    void Post(std::function<void()> message);
    // User-interface thread: runs the messages posted so far, and only those of this window.
    void ProcessMessages();

private:
    std::unique_ptr<QObject> receiver_;
};

}  // namespace pellumo
