#pragma once
// Sizes shared by the pictures that must line up on the notation canvas.
// The canvas draws every group picture at a quarter of its size with its top
// at y = 100, so a group picture's head line lands on the canvas at
// 100 + kHeadLineY / 4, where the backdrop draws its staff line.

#include "notation/group_picture_geometry.h"

namespace resgen {

constexpr double kStaffSpace = 40.0;   // pixels per staff space in a group picture
constexpr int kGroupHeight = 400;      // every group picture, so they share one placing
constexpr int kHeadLineY = grouppicture::headLineY; // note-head line, from the picture's top
constexpr double kCanvasScale = 0.25;  // how the canvas draws group pictures
constexpr int kCanvasTop = 100;        // where the canvas puts their top edge
constexpr int kCanvasWidth = 725;
constexpr int kCanvasHeight = 231;
constexpr int kBarLeft = 230;          // left edge of a bar's first picture
constexpr double kCanvasStaffY = kCanvasTop + kHeadLineY * kCanvasScale;

} // namespace resgen
