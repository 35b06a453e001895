#pragma once

#include "win32/win32.h"

#include <vector>

// What is checked of a compressed sound file before the decoder sees it. Only Ogg and
// FLAC streams pass (after any ID3v2 tags, skipped as the decoder skips them), so no
// other format libsndfile knows is ever parsed; an Ogg stream only when it starts with
// the three Vorbis header packets libvorbis accepts (libsndfile 1.2 leaks the codec
// set-up, some 6 KB, on every file whose headers it gives up on) and ends with its
// last page whole (a file cut at a page boundary would decode to a shorter sound, and
// the missing end-of-stream mark is all that tells).
bool isWholeOggVorbisOrFlac(const std::vector<BYTE>& file);
