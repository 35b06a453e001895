#pragma once

#include <QString>

#include "tumbleway/tumbleway_ext.h"

// The one line the status bar shows when the course check finds something wrong with a
// course: what it found, kind by kind, with counts.
QString courseCheckWarning(const TwxCourseCheck& check);
