#pragma once

#include <QRect>
#include <QSize>

namespace tonarion {

// Window layouts are designed in twips; 15 twips are one pixel at 96 dpi. Qt scales these
// logical pixels for high-resolution screens itself.
constexpr int fromTwips(int twips) {
    return twips / 15;
}

inline QRect twipsRect(int left, int top, int width, int height) {
    return {fromTwips(left), fromTwips(top), fromTwips(width), fromTwips(height)};
}

inline QSize twipsSize(int width, int height) {
    return {fromTwips(width), fromTwips(height)};
}

} // namespace tonarion
