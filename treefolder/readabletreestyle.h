#pragma once

#include <QProxyStyle>

// The tree's own drawing of what a style would draw in colours of its own: the frame, check
// boxes and the open and closed signs (without lines) are drawn in the widget's palette, which
// readablePalette keeps readable on the tree's background. Everything else is the style's.
class ReadableTreeStyle : public QProxyStyle {
    Q_OBJECT
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
};
