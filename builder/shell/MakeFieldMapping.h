#pragma once

#include <QPointF>

#include <optional>
#include <vector>

// Where a place on the ground shows in MakeField's view. Each laid point pairs the pixel
// clicked with the ground place the click lays; MakeField looks straight down, so the
// two are related by one affine map, found from the pairs (least squares, exact for a
// course laid in MakeField).
class MakeFieldMapping {
public:
    struct Pair {
        QPointF pixel;  // the dotted point: where the click was in the view
        QPointF ground; // the calculated point's x and z
    };

    // Nothing when the pairs do not span the ground (fewer than three, or all on a line).
    static std::optional<MakeFieldMapping> fromPoints(const std::vector<Pair>& pairs);

    // The view pixel of a laid ground place (x, z).
    QPointF pixelOfLaid(float x, float z) const;

private:
    // pixel = (a[0] gx + a[1] gz + a[2], b[0] gx + b[1] gz + b[2]), g the laid ground place
    double a_[3] = {};
    double b_[3] = {};
};
