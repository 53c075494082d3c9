#pragma once

#include <functional>

namespace pellumo {

// The common base of components, so that an event can name its sender.
class TObject {
public:
    virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* sender)>;

}  // namespace pellumo
