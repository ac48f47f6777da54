#pragma once

#include <QColor>

// How slices are coloured: a calm qualitative palette for the first ten, then colours made
// by turning the hue by the golden angle, so that any number of slices can be told apart.
// Neighbours around the whole pie differ clearly, the last slice from the first included.

// Colour of slice `index` (0-based) in a pie of `count` slices. Only the last slice's colour
// depends on the count, so adding a slice recolours at most the one before it.
QColor SliceColor(int index, int count);

// How far apart two colours look: 0 for equal ones, about 800 for black and white.
double ColorDistance(const QColor &a, const QColor &b);

// Neighbouring slices are at least this far apart.
constexpr double MinNeighbourDistance = 60.0;
