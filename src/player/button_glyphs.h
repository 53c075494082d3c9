#pragma once

#include "raster/bitmap.h"

namespace pellumo {

// The control panel's button pictures: 18 x 18 at 24 bits on silver (192, 192, 192), which the
// buttons treat as transparent, and the 16 x 16 sound glyph at 8 bits on a checkered
// background whose first colour (196, 196, 196) is the transparent one.
TBitmap PlayGlyph();      // green disc, white triangle pointing right
TBitmap PauseGlyph();     // blue disc, two white bars
TBitmap PreviousGlyph();  // blue disc, white bar and triangle pointing left
TBitmap NextGlyph();      // blue disc, white triangle pointing right and bar
TBitmap QuitGlyph();      // red disc, white cross
TBitmap SoundGlyph();     // black eighth note
TBitmap SoundOffGlyph();  // the same note crossed out in red: the music is off

}  // namespace pellumo
