// Window layouts are designed in twips; 15 twips make one logical pixel,
// so a layout scales as one piece with the screen's scale factor.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace vellorin::platform {

inline constexpr int twipsPerPixel = 15;

constexpr int px(int twips) { return (twips + twipsPerPixel / 2) / twipsPerPixel; }
constexpr QPoint twipsPoint(int left, int top) { return {px(left), px(top)}; }
constexpr QSize twipsSize(int width, int height) { return {px(width), px(height)}; }
constexpr QRect twipsRect(int left, int top, int width, int height)
{
    return {px(left), px(top), px(width), px(height)};
}

} // namespace vellorin::platform
