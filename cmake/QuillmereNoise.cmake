# The coherent-noise library ships no CMake or pkg-config files, so it is found by hand, here for
# the build and again by the installed CMake package: the imported target Noise::noise.
if(NOT TARGET Noise::noise)
  find_path(NOISE_INCLUDE_DIR libnoise/noise.h)
  find_library(NOISE_LIBRARY noise)
  if(NOISE_INCLUDE_DIR AND NOISE_LIBRARY)
    add_library(Noise::noise INTERFACE IMPORTED GLOBAL)
    set_target_properties(Noise::noise PROPERTIES
      INTERFACE_INCLUDE_DIRECTORIES ${NOISE_INCLUDE_DIR}
      INTERFACE_LINK_LIBRARIES ${NOISE_LIBRARY})
  endif()
endif()
