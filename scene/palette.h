#pragma once
// The scene's read-only colours, RGBA in single precision. paletteOrigin is a
// homogeneous position (the lights' place at the eye), not a colour.
extern const float paletteWhite[4];
extern const float paletteBlack[4];
extern const float paletteRed[4];
extern const float paletteGreen[4];
extern const float paletteBlue[4];
extern const float paletteYellow[4];
extern const float paletteCyan[4];
extern const float paletteMagenta[4];
extern const float paletteDarkGrey[4];
extern const float paletteOrange[4];
extern const float paletteTranslucentBlue[4];
extern const float paletteOrigin[4];
