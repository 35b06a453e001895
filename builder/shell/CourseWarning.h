#pragma once

#include <QString>

#include "tumbleway/tumbleway_ext.h"

// The one line the status bar shows when the course check finds something wrong with a
// course: what it found, kind by kind, with counts.
QString courseCheckWarning(const TwxCourseCheck& check);

// The worst of what the course check found, in a few words that fit the status bar
// after a create ("the strips fold at 4 bends"); empty for a sound course.
QString courseCheckHeadline(const TwxCourseCheck& check);
