#pragma once

#include "win32/win32.h"

// The variable that names the folder of the DirectX SDK samples on this machine; media
// files are looked up in its "Media" subfolder. It takes the place of the SDK's
// "DX9SDK Samples Path" registry value of the Windows program.
inline constexpr const char* kMediaRootVariable = "TUMBLEWAY_MEDIA";

// Finds a media file (a mesh or one of its textures) by name and writes the path to use
// into out (capacity bytes, terminator included). In this order:
//   1. name expanded against the current directory, if that file can be read: S_OK;
//   2. the name's final component in the current directory: S_OK, out = that component;
//   3. $TUMBLEWAY_MEDIA/Media/<final component>: S_OK with that path. An unset or
//      empty variable is E_FAIL with out empty, as a missing registry value was;
//      a joined path that does not fit is E_INVALIDARG;
//   4. otherwise out = name, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND).
// No name, no out or a capacity below 1 is E_INVALIDARG; a full path that does not fit
// is E_FAIL. Only regular files count; each is closed again at once.
[[nodiscard]] HRESULT findMediaFile(char* out, int capacity, const char* name);

// Finds a texture that a mesh file names. The name is the mesh's author's, not the
// user's, so it may not lead out of the folders searched: whatever folders it names
// (with / or \), only its last component is looked up, as findMediaFile does. A name
// whose last component is empty, "." or ".." is not found (out empty). On failure
// nothing is to be loaded.
[[nodiscard]] HRESULT findMeshTexture(char* out, int capacity, const char* name);
