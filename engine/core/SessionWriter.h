#pragma once

#include "scene/Course.h"

// A course flattened into the record the host saves: its points, placements, sounds
// and relations appended to the record's lists, each placed mesh at its live pose.
void fillSessionOf(const LCourse_t& course, LSession_t& session);
// Empties every list of a record.
void emptySession(LSession_t& session);
