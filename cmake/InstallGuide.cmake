# Installs the user guide, which is written for the source tree ("build/bin/TumblewayBuilder
# samples/scenes/demo.xml"), with the installed program and samples in its commands.
# Run at install time: CMAKE_INSTALL_PREFIX is the prefix installed to, and
# TW_GUIDE_SOURCE, TW_GUIDE_DOCDIR and TW_SAMPLES_DIR were set before.
file(READ "${TW_GUIDE_SOURCE}" guide)
set(samples "${CMAKE_INSTALL_PREFIX}/${TW_SAMPLES_DIR}/")
string(REPLACE "From the project root, after `scripts/build`:" "Once installed:" guide "${guide}")
string(REPLACE "`build/bin/../..`" "`../share/tumbleway` beside `bin`" guide "${guide}")
string(REPLACE " `scripts/run` does exactly this when there is no\ndisplay." "" guide "${guide}")
string(REPLACE "build/bin/" "" guide "${guide}")
# "samples/" at a line's start or after a space, quote or parenthesis, not inside a path.
string(REGEX REPLACE "(^|[\n \t`\"(])samples/" "\\1${samples}" guide "${guide}")
set(target "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${TW_GUIDE_DOCDIR}/user-guide.md")
message(STATUS "Installing: ${target}")
file(WRITE "${target}" "${guide}")
