#pragma once

#include <QColor>
#include <QPalette>

// Colours that stay readable on the tree's own background, whatever the desktop's palette:
// a dark theme gives white text, and the tree keeps the white background its host stored.

// The contrast ratio of two colours as WCAG 2 defines it: 1 (none) to 21 (black on white).
double contrastRatio(const QColor &a, const QColor &b);

// Text, lines and boxes read when they reach this ratio against their background.
constexpr double ReadableContrast = 4.5;

// wanted when it reads on background, otherwise black or white, whichever reads better.
QColor readableOn(const QColor &background, const QColor &wanted);

// palette with background as the tree's base and every colour the tree draws with (text,
// window text, lines and boxes, links, the selection's text) made readable on it.
QPalette readablePalette(QPalette palette, const QColor &background);
