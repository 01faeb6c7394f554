#pragma once

// How the pictures of a canvas come by their pixels.
enum class PictureDecoding {
    // Drawing waits for the exact pixels: exports and everything written to a file.
    Wait,
    // Drawing never waits: it shows the pixels at hand (smaller ones, or a quiet placeholder)
    // and each picture is drawn again as its exact pixels arrive. The page on screen.
    Background,
    // A page prepared before the user turns to it: its pictures decode at idle priority and
    // nothing on it is drawn.
    Ahead,
};
