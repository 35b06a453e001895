# Third-party libraries, found once for the whole tree.
find_package(PkgConfig REQUIRED)
pkg_check_modules(STB REQUIRED IMPORTED_TARGET GLOBAL stb)

# The GL device and its headless host (GL and EGL entry points through libepoxy), and
# the fonts of text overlays.
pkg_check_modules(EPOXY REQUIRED IMPORTED_TARGET GLOBAL epoxy)
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET GLOBAL freetype2)
pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET GLOBAL fontconfig)
# Mesh files (.x text, binary and compressed).
find_package(assimp REQUIRED)
# The JSON of the glTF export.
find_package(nlohmann_json 3 REQUIRED)
pkg_check_modules(OPENAL REQUIRED IMPORTED_TARGET GLOBAL openal)
# OGG Vorbis and FLAC sounds, decoded to PCM at load (libvorbis checks Vorbis headers
# first), and the sample sounds' Vorbis encoder (tools/datagen).
pkg_check_modules(SNDFILE REQUIRED IMPORTED_TARGET GLOBAL sndfile)
pkg_check_modules(VORBIS REQUIRED IMPORTED_TARGET GLOBAL vorbis ogg)
pkg_check_modules(VORBISENC REQUIRED IMPORTED_TARGET GLOBAL vorbisenc)
find_package(Threads REQUIRED)
# Joysticks and game controllers for the input layer (no SDL video).
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET GLOBAL sdl2)
