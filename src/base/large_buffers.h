#pragma once

namespace pellumo {

// Lets the C library keep freed picture-sized buffers for the next picture instead of giving
// them back to the system: a fresh 24-megapixel buffer costs the kernel about 30 ms of page
// zeroing per slide, a reused one nothing. For programs that decode picture after picture;
// the price is that the largest picture's memory stays with the process.
void KeepLargeBuffersForReuse();

}  // namespace pellumo
