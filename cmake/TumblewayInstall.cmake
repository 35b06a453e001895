# Where the installed program keeps its parts, as Linux programs do: the programs in
# bin, the engine and platform libraries in lib (found through a relative RPATH), the
# fixed pictures and the samples in share/tumbleway, the guide in share/doc, and the
# desktop entry, icon and AppStream metadata where desktops look for them.
include(GNUInstallDirs)

set(TW_APP_ID org.tumbleway.TumblewayBuilder)
set(TW_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/tumbleway)

set_target_properties(TumblewayBuilder tumbleway-run Tumbleway096 twplatform PROPERTIES
  INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
install(TARGETS TumblewayBuilder tumbleway-run RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS Tumbleway096 twplatform LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})

install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/ DESTINATION ${TW_SHARE_DIR}/data)
# The sample scene's folder names its files by links into the others; they are
# installed as the files they name.
foreach(folder bitmaps meshes sounds scenes)
  file(GLOB samples ${PROJECT_SOURCE_DIR}/samples/${folder}/*)
  foreach(sample ${samples})
    file(REAL_PATH ${sample} real)
    get_filename_component(name ${sample} NAME)
    install(FILES ${real} DESTINATION ${TW_SHARE_DIR}/samples/${folder} RENAME ${name})
  endforeach()
endforeach()
# The guide is written for the source tree (build/bin/TumblewayBuilder, samples/...);
# the installed copy names the installed program and samples instead.
install(FILES ${PROJECT_SOURCE_DIR}/docs/file-formats.md
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tumbleway)
install(CODE "set(TW_GUIDE_SOURCE \"${PROJECT_SOURCE_DIR}/docs/user-guide.md\")
  set(TW_GUIDE_DOCDIR \"${CMAKE_INSTALL_DATADIR}/doc/tumbleway\")
  set(TW_SAMPLES_DIR \"${TW_SHARE_DIR}/samples\")")
install(SCRIPT ${PROJECT_SOURCE_DIR}/cmake/InstallGuide.cmake)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/images DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tumbleway)

install(FILES ${PROJECT_SOURCE_DIR}/packaging/${TW_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/${TW_APP_ID}.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/${TW_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The scene type the desktop entry opens, told from other XML files by its root element.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/${TW_APP_ID}.mime.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME ${TW_APP_ID}.xml)

# cpack -G DEB makes a package for Debian 12.
set(CPACK_PACKAGE_NAME tumbleway)
set(CPACK_PACKAGE_VENDOR "The Tumbleway developers")
set(CPACK_PACKAGE_CONTACT "The Tumbleway developers <developers@tumbleway.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Course builder and rolling-object simulator")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The programs and libraries without their debugging sections: a quarter of the size.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, libgl1-mesa-dri")
# Qt's own dialogs in Japanese, and a font for the Japanese texts.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-noto-cjk")
include(CPack)
