#pragma once

#include <QString>

// Why the builder could not open its window, in words for the terminal; empty when a
// display answers (or when Qt is asked for a platform that needs none). Without this
// check Qt ends the program with an abort when no display answers, and its last words
// go to the log file instead of the terminal. Call before the application object
// exists: it is what would fail.
QString missingDisplayReason();
