#pragma once
// The scene's read-only colours, RGBA in single precision, in one table.
// paletteOrigin is a homogeneous position (the lights' place at the eye), not
// a colour.
struct MaterialPalette {
    float paletteWhite[4];
    float paletteBlack[4];
    float paletteRed[4];
    float paletteGreen[4];
    float paletteBlue[4];
    float paletteYellow[4];
    float paletteCyan[4];
    float paletteMagenta[4];
    float paletteDarkGrey[4];
    float paletteOrange[4];
    float paletteTranslucentBlue[4];
    float paletteOrigin[4];
};

extern const MaterialPalette palette;
