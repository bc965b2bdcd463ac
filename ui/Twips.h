// Layout unit of every window: twips (1/1440 inch), 15 to a device-independent pixel.
#pragma once

#include <QPoint>
#include <QRect>

namespace tarmel::ui {

inline constexpr int kTwipsPerPixel = 15;

// Twips to device-independent pixels, rounded to the nearest pixel; Qt's HiDPI scaling does
// the rest on denser screens.
constexpr int twipsToPixels(int twips) {
    const int half = kTwipsPerPixel / 2;
    return twips >= 0 ? (twips + half) / kTwipsPerPixel : -((-twips + half) / kTwipsPerPixel);
}

// A rectangle given as left, top, width and height in twips.
struct TwipRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

inline QRect toPixels(const TwipRect& r) {
    return {twipsToPixels(r.left), twipsToPixels(r.top), twipsToPixels(r.width),
            twipsToPixels(r.height)};
}

inline QPoint twipPoint(int x, int y) {
    return {twipsToPixels(x), twipsToPixels(y)};
}

} // namespace tarmel::ui
