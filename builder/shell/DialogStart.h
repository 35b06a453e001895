#pragma once

#include <optional>

// Where the adjustment dialogs start: what the chosen point or mesh holds now, in the
// sliders' units, so that OK without touching a slider changes nothing. Both read the
// engine and must run with its context current.
struct SliderStart {
    int first = 0;
    int second = 0;
};

// The point a right-click chose (of the current course, or of the points being laid
// when there is none): its height and its incline.
std::optional<SliderStart> chosenPointStart();

// The mesh the X-file dialog adjusts (the one the arrow keys drive): how far it is
// raised and its orientation in degrees.
std::optional<SliderStart> chosenMeshStart();
