#pragma once

#include <QFont>
#include <QWidget>

#include <QtMath>

namespace kn {

// The dialogs' positions are given in twips (1/1440 inch); on screen they become pixels at the
// screen's logical DPI, 15 twips to a pixel at 96 DPI.
inline int twipsToPixels(int twips, int dotsPerInch)
{
    return qRound(twips * qreal(dotsPerInch) / 1440);
}

// Puts a control at its place in twips; a height of 0 keeps the height the control asks for.
inline void placeInTwips(QWidget& control, int left, int top, int width, int height = 0)
{
    const int dpiX = control.logicalDpiX();
    const int dpiY = control.logicalDpiY();
    control.setGeometry(twipsToPixels(left, dpiX), twipsToPixels(top, dpiY), twipsToPixels(width, dpiX),
                        height > 0 ? twipsToPixels(height, dpiY) : control.sizeHint().height());
}

// The dialogs were laid out for the narrow 8-point "MS Sans Serif"; where it is missing, a condensed
// sans of the same size keeps the labels within their laid-out width.
inline void useDialogFont(QWidget& window)
{
    QFont font = window.font();
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans Condensed")});
    font.setPointSize(8);
    window.setFont(font);
}

// Gives a window a fixed client area of the given twips, which the user cannot resize.
inline void fixClientSizeInTwips(QWidget& window, int width, int height)
{
    window.setFixedSize(twipsToPixels(width, window.logicalDpiX()), twipsToPixels(height, window.logicalDpiY()));
}

} // namespace kn
