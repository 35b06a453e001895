#pragma once

// The engine's mode, equal to the host's tab index.
enum ViewTab : int {
    TAB_PLAY = 0,    // "Play": the simulation runs
    TAB_PLACE = 1,   // "Edit": objects are placed and moved
    TAB_COURSE = 2,  // "MakeField": course points are laid
    TAB_PREVIEW = 3, // "ViewParts": one library object is shown alone
};

inline bool isKnownTab(int tab) {
    return tab >= TAB_PLAY && tab <= TAB_PREVIEW;
}
