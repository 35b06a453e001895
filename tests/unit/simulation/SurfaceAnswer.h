// Whether two surface searches gave the same answer, to the bit.
#pragma once

#include <gtest/gtest.h>

#include "BodyState.h"
#include "simulation/SurfaceQuery.h"

inline ::testing::AssertionResult sameAnswer(bool expected, const SurfaceHit& e, bool actual,
                                             const SurfaceHit& a) {
    if (expected != actual) {
        return ::testing::AssertionFailure() << (expected ? "missed a hit" : "hit nothing there");
    }
    if (expected && !(sameBits(e.height, a.height) && e.strip == a.strip && e.row == a.row &&
                      sameBits(e.edge, a.edge))) {
        return ::testing::AssertionFailure()
               << "different hit: strip " << e.strip << " row " << e.row << " against strip "
               << a.strip << " row " << a.row;
    }
    return ::testing::AssertionSuccess();
}
