# What `cmake --install` puts under the prefix, and the Debian package that cpack makes of it:
#   bin/quillmere, share/quillmere/ (the data set), share/applications/quillmere.desktop,
#   share/man/man1/quillmere.1.gz, and the libraries for other programs: lib/libquillmere_*.a,
#   include/quillmere/, lib/cmake/Quillmere/ (find_package(Quillmere)) and
#   lib/pkgconfig/quillmere-toolkit.pc.
# Nothing here names the prefix: the viewer finds its data set from its own executable, and the
# CMake package from its own folder, so an installed tree can be moved as a whole.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(QUILLMERE_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Quillmere)
set(QUILLMERE_INCLUDE_DIR ${CMAKE_INSTALL_INCLUDEDIR}/quillmere)

install(TARGETS quillmere RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The data set without what runs leave in it: generated textures and kept copies of them.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/Data/ DESTINATION ${CMAKE_INSTALL_DATADIR}/quillmere
  PATTERN "example*.bmp" EXCLUDE
  PATTERN "texture-*.bmp" EXCLUDE
  PATTERN "screenshot-*" EXCLUDE)

install(FILES ${PROJECT_SOURCE_DIR}/cmake/quillmere.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# The manual page is made from `quillmere --help`, so it cannot drift from the program.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(QUILLMERE_MANPAGE ${PROJECT_BINARY_DIR}/quillmere.1)
add_custom_command(OUTPUT ${QUILLMERE_MANPAGE} ${QUILLMERE_MANPAGE}.gz
  # A sanitizer build's program runs here too; what it keeps until exit is no leak to report.
  COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
    ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/make_manpage.py
    $<TARGET_FILE:quillmere> ${QUILLMERE_MANPAGE}
  # -n: no name or time stamp in the archive, so the package is the same from build to build.
  COMMAND gzip -9 -n -f -k ${QUILLMERE_MANPAGE}
  DEPENDS quillmere ${PROJECT_SOURCE_DIR}/tools/make_manpage.py
  COMMENT "Writing the manual page quillmere.1")
add_custom_target(manpage ALL DEPENDS ${QUILLMERE_MANPAGE}.gz)
install(FILES ${QUILLMERE_MANPAGE}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# quillmere_public_headers(<out-var> <header>...): the given headers and every project header
# they include, followed through the includes, as paths relative to the source folder.
function(quillmere_public_headers outVar)
  set(pending ${ARGN})
  set(found)
  while(pending)
    list(POP_FRONT pending header)
    if(header IN_LIST found)
      continue()
    endif()
    list(APPEND found ${header})
    file(STRINGS ${PROJECT_SOURCE_DIR}/${header} includes REGEX "^#include \"[a-z_]+/[a-z_]+\\.h\"")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" included "${line}")
      list(APPEND pending ${included})
    endforeach()
  endwhile()
  set(${outVar} ${found} PARENT_SCOPE)
endfunction()

# quillmere_install_library(<target> <exported name> HEADERS <header>...): the static library as
# Quillmere::<exported name>, its public headers under include/quillmere/ (the same
# "toolkit/toolkit.h" paths as in the source tree).
function(quillmere_install_library target exportName)
  cmake_parse_arguments(L "" "" "HEADERS" ${ARGN})
  set_target_properties(${target} PROPERTIES EXPORT_NAME ${exportName}
    OUTPUT_NAME quillmere_${exportName})
  install(TARGETS ${target} EXPORT QuillmereTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    INCLUDES DESTINATION ${QUILLMERE_INCLUDE_DIR})
  quillmere_public_headers(headers ${L_HEADERS})
  foreach(header IN LISTS headers)
    get_filename_component(folder ${header} DIRECTORY)
    install(FILES ${PROJECT_SOURCE_DIR}/${header} DESTINATION ${QUILLMERE_INCLUDE_DIR}/${folder})
  endforeach()
endfunction()

include(${PROJECT_SOURCE_DIR}/cmake/libraries.cmake)

install(EXPORT QuillmereTargets NAMESPACE Quillmere:: DESTINATION ${QUILLMERE_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/QuillmereConfig.cmake.in
  ${PROJECT_BINARY_DIR}/QuillmereConfig.cmake INSTALL_DESTINATION ${QUILLMERE_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/QuillmereConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/QuillmereConfig.cmake
  ${PROJECT_BINARY_DIR}/QuillmereConfigVersion.cmake
  ${PROJECT_SOURCE_DIR}/cmake/QuillmereNoise.cmake
  DESTINATION ${QUILLMERE_CMAKE_DIR})

# pkg-config for the toolkit. libnoise ships no .pc file, so it is named as a plain -lnoise;
# the prefix is found from the .pc file's own place (pcfiledir), so a moved tree still works.
file(RELATIVE_PATH QUILLMERE_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(${PROJECT_SOURCE_DIR}/cmake/quillmere-toolkit.pc.in
  ${PROJECT_BINARY_DIR}/quillmere-toolkit.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/quillmere-toolkit.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# cpack -G DEB (in the build folder): one package installing under /usr.
set(CPACK_PACKAGE_NAME quillmere)
set(CPACK_PACKAGE_VENDOR "Quillmere")
set(CPACK_PACKAGE_CONTACT "Quillmere developers <quillmere@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "procedural texture on a spinning 3D model, and the libraries behind it")
set(CPACK_PACKAGE_DESCRIPTION
  "Quillmere paints a fresh texture from Perlin noise on every start and shows an OBJ (or PLY, STL, glTF, ...) model lit and spinning; it also writes pictures and textures for scripts. The package carries the noise-map toolkit, the OBJ reading and the image decoding as static libraries with a CMake package and a pkg-config file.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quillmere.invalid/")
# dpkg-shlibdeps names the libraries the program loads (libnoise0, freeglut3, libGLU, libEGL,
# libgomp1, libassimp5, libpng16-16, libstdc++6, ...) with their versions; without it they are
# listed by hand.
find_program(QUILLMERE_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(QUILLMERE_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libnoise0, freeglut3 | libglut3.12, libglu1-mesa, libgl1, libegl1, libgomp1, libassimp5, libpng16-16, libstdc++6, libc6")
endif()
# Mesa's drivers draw when there is no GPU driver, and --output needs its EGL.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri, libegl-mesa0")
# What a program built against the libraries needs besides them.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libnoise-dev, libassimp-dev, libgl-dev, libglu1-mesa-dev")
include(CPack)
