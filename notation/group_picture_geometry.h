#pragma once
// Where the note heads sit in every group picture: the pictures share one
// head line, so a bar of them reads along one staff line on the canvas.
// Needs nothing but the language: the resource generator builds against it.

namespace grouppicture {

constexpr int headLineY = 264; // pixels from a full-size picture's top

} // namespace grouppicture
