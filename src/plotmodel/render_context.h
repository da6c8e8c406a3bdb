// The drawing contexts of the plot model: structRender (preview) and structRenderPrint (raster).
#pragma once

#include <cstdint>

class CDC;

// The preview's drawing context. A point (x, y) in plotter units is drawn at
// (x × scale, -scale × (y - originY)): y grows downwards on screen.
struct structRender {
    CDC* dc = nullptr;
    // Scroll offsets of the view; the view sets its window origin from them, Render does not read them.
    double offsetX = 0.0;
    double offsetY = 0.0;
    // Pixels per plotter unit.
    double scale = 1.0;
    // y of the drawing's top edge, plotter units.
    int32_t originY = 0;
};

// The ink-jet raster's drawing context: points are drawn at (x + offsetX, y' + offsetY) in
// bitmap pixels, y' being y stretched within the top and bottom bands when height is set.
struct structRenderPrint {
    CDC* dc = nullptr;
    double offsetX = 0.0;
    double offsetY = 0.0;
    // Scales filled by the raster and not read when drawing.
    double scaleX = 1.0;
    double scaleY = 1.0;
    // Height of the band in plotter units; 0 draws without stretching.
    int32_t height = 0;
    // Band widths (plotter units) and the shifts applied across them.
    int16_t topBand = 0;
    int16_t topStretch = 0;
    int16_t bottomBand = 0;
    int16_t bottomStretch = 0;
};
