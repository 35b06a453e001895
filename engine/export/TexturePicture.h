#pragma once

#include <optional>
#include <string>

#include "d3d9/d3d9.h"
#include "export/GltfDocument.h"

// The first level of a texture as 8-bit RGBA: what the engine draws from it. Nothing for
// a null texture, one that cannot be locked or one of a format no picture is kept in.
std::optional<GltfDocument::Picture> texturePicture(IDirect3DTexture9* texture);

// The picture file at path, read as the engine reads pictures but at full colour depth
// (a strip keeps its picture in 5 bits a channel on the device).
std::optional<GltfDocument::Picture> filePicture(IDirect3DDevice9* device, const std::string& path);
