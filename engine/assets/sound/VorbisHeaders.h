#pragma once

#include "win32/win32.h"

#include <vector>

// Whether the Ogg stream that starts at `from` in file begins with the three Vorbis header
// packets (identification, comment, set-up), each one libvorbis accepts. libsndfile (1.2) leaks
// the codec set-up it made, some 6 KB, on every file whose headers it gives up on; a
// file that fails here is refused before libsndfile sees it.
#include <cstddef>

bool vorbisHeadersAreWhole(const std::vector<BYTE>& file, std::size_t from);
