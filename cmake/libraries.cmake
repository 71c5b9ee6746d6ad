# The libraries that other programs build on, each with the headers that say what it offers.
# Their include folder is the source tree while building and include/quillmere/ once installed.
foreach(target toolkit)
  set_property(TARGET ${target} PROPERTY INTERFACE_INCLUDE_DIRECTORIES
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>)
endforeach()
quillmere_install_library(toolkit toolkit HEADERS toolkit/toolkit.h)
set(QUILLMERE_CONFIG_DEPENDENCIES "")
