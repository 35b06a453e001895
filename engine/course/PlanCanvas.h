// A picture of a rectangle of the ground, seen from above with x to the right and z
// up, drawn in software into RGBA pixels the caller owns.
#pragma once

#include <cstdint>

#include "course/PlanGeometry.h"

struct Colour {
    std::uint8_t r;
    std::uint8_t g;
    std::uint8_t b;
};

class PlanCanvas {
public:
    // Shows the box from low to high as large as it fits, undistorted and centred, with
    // a margin of pixels all round. rgba holds width x height pixels, row by row from
    // the top.
    PlanCanvas(std::uint8_t* rgba, int width, int height, const PlanPoint& low,
               const PlanPoint& high, int margin);

    void clear(Colour colour);
    // Fills the pixels whose centres lie in the triangle, whichever way it winds.
    void fillTriangle(const PlanPoint& a, const PlanPoint& b, const PlanPoint& c, Colour colour);
    // A line one pixel wide.
    void line(const PlanPoint& a, const PlanPoint& b, Colour colour);
    // A circle outline of the radius and thickness (pixels) around a ground point.
    void ring(const PlanPoint& centre, double radius, double thickness, Colour colour);

private:
    double column(double x) const { return m_originX + (x - m_centre.x) * m_scale; }
    double row(double z) const { return m_originY - (z - m_centre.z) * m_scale; }
    void set(int x, int y, Colour colour);

    std::uint8_t* m_rgba;
    int m_width;
    int m_height;
    PlanPoint m_centre;
    double m_scale = 1; // pixels per unit
    double m_originX;
    double m_originY;
};
