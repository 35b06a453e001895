#pragma once

#include "assets/sound/SoundSource.h"

#include <memory>

// Opens a sound by name with the reader its bytes call for: "OggS" or "fLaC" at the
// start (or, when the start says nothing, a name ending in .ogg or .flac) is decoded
// to PCM; everything else, a RIFF wave or a wave resource of that name, is read as a
// wave. A failure leaves source empty and says why, as the reader did.
[[nodiscard]] HRESULT openSoundFile(const char* fileName, std::unique_ptr<SoundSource>* source);
