#pragma once

#include "assets/sound/SoundSource.h"

#include <memory>

// Opens a sound by name with the reader its bytes call for: a file starting "OggS" or
// "fLaC" (or, when its start says nothing, named .ogg or .flac) is decoded to PCM;
// everything else, a RIFF wave, a wave resource of that name or no such file, is read
// as a wave. A failure leaves source empty and says why, as the reader did.
[[nodiscard]] HRESULT openSoundFile(const char* fileName, std::unique_ptr<SoundSource>* source);
