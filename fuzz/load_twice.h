#pragma once

// What a reader's target does: load the input, then load it again into the same picture,
// which keeps what a reader keeps between loads (its colour manager's settings, for one).
#include <cstdint>
#include <vector>

#include "base/exceptions.h"
#include "base/memory_stream.h"

namespace pellumo::fuzzing {

template <typename TPictureClass>
int LoadTwice(const std::uint8_t* data, std::size_t size) {
    TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
    try {
        TPictureClass picture;
        picture.LoadFromStream(stream);
        stream.SetPosition(0);
        picture.LoadFromStream(stream);
    } catch (const Exception&) {
    }
    return 0;
}

}  // namespace pellumo::fuzzing
