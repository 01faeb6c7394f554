#pragma once

#include <QString>

class Canvas;

// The layout texts that ship inside the program, by resource number.
enum class LayoutResource {
    Frame = 201,   // the frame of every page: background, grid and margins
    ToolBar = 203, // the main window's tool bar
    PageBar = 204, // the main window's page bar
    About = 205,                // the about box
    Publish = 208,              // the publish settings dialog
    TextProperties = 209,       // a text note item's properties dialog
    MandelbrotProperties = 210, // a Mandelbrot item's properties dialog
};

// The text of a layout resource; empty when it is missing.
QString LoadLayoutText(LayoutResource id);

// Adds one item per section of the layout on top of the canvas; relative file names in it (the
// interface pictures, "resource\...") resolve against the folder, which the canvas keeps as
// its base folder. False when the resource is missing or empty.
bool BuildLayout(Canvas& canvas, LayoutResource id, const QString& folder);
