#include "scene/palette.h"

const float paletteWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const float paletteBlack[4] = {0.0f, 0.0f, 0.0f, 1.0f};
const float paletteRed[4] = {1.0f, 0.0f, 0.0f, 1.0f};
const float paletteGreen[4] = {0.0f, 1.0f, 0.0f, 1.0f};
const float paletteBlue[4] = {0.0f, 0.0f, 1.0f, 1.0f};
const float paletteYellow[4] = {1.0f, 1.0f, 0.0f, 1.0f};
const float paletteCyan[4] = {0.0f, 1.0f, 1.0f, 1.0f};
const float paletteMagenta[4] = {1.0f, 0.0f, 1.0f, 1.0f};
const float paletteDarkGrey[4] = {0.2f, 0.2f, 0.2f, 1.0f};
const float paletteOrange[4] = {0.98f, 0.625f, 0.12f, 1.0f};
const float paletteTranslucentBlue[4] = {0.0f, 0.0f, 1.0f, 0.25f};
const float paletteOrigin[4] = {0.0f, 0.0f, 0.0f, 1.0f};
