#include "scene/palette.h"

const MaterialPalette palette = {
    {1.0f, 1.0f, 1.0f, 1.0f},     // paletteWhite
    {0.0f, 0.0f, 0.0f, 1.0f},     // paletteBlack
    {1.0f, 0.0f, 0.0f, 1.0f},     // paletteRed
    {0.0f, 1.0f, 0.0f, 1.0f},     // paletteGreen
    {0.0f, 0.0f, 1.0f, 1.0f},     // paletteBlue
    {1.0f, 1.0f, 0.0f, 1.0f},     // paletteYellow
    {0.0f, 1.0f, 1.0f, 1.0f},     // paletteCyan
    {1.0f, 0.0f, 1.0f, 1.0f},     // paletteMagenta
    {0.2f, 0.2f, 0.2f, 1.0f},     // paletteDarkGrey
    {0.98f, 0.625f, 0.12f, 1.0f}, // paletteOrange
    {0.0f, 0.0f, 1.0f, 0.25f},    // paletteTranslucentBlue
    {0.0f, 0.0f, 0.0f, 1.0f},     // paletteOrigin
};
