#pragma once

#include <string>

// Why a save failed, in words a user can act on, for an errno value.
std::string saveErrorText(int error);
