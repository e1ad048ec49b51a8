// The program's emblem as its readable description gives it: a palette of named colours
// and filled shapes on a square design canvas, so that every icon size is drawn from one
// description.
//
// Description lines (see assets/icons/emblem.txt):
//   canvas N                  the canvas is N by N design units (once, before any shape)
//   color NAME #RRGGBB        a palette entry; at most 15, because 16-colour images keep
//                             entry 0 for black under transparent pixels
//   circle NAME CX CY R       filled disc, centre and radius in design units
//   rect NAME X Y W H         filled rectangle, top-left corner and size in design units
// The y axis points down. Shapes are painted in order, each over those before it; the area
// that no shape covers is transparent. Numbers are decimal and may have fractions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct EmblemShape {
    enum class Kind { Circle, Rect };
    Kind kind = Kind::Circle;
    int colorIndex = 0;  // index into Emblem::colors
    float a = 0, b = 0, c = 0, d = 0;  // circle: cx cy r; rect: x y w h
};

struct Emblem {
    float canvas = 0;
    std::vector<std::uint32_t> colors;  // 0xRRGGBB, in the order named
    std::vector<EmblemShape> shapes;    // in painting order
};

constexpr std::size_t kMaxEmblemColors = 15;

// Reads and checks the description. On bad input returns false with `error` naming the
// file and line.
bool LoadEmblem(const std::string& path, Emblem& emblem, std::string& error);
