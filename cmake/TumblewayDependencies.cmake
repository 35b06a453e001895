# Third-party libraries, found once for the whole tree.
find_package(PkgConfig REQUIRED)
pkg_check_modules(STB REQUIRED IMPORTED_TARGET GLOBAL stb)
