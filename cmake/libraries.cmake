# The libraries that other programs build on, each with the headers that say what it offers.
# Their include folder is the source tree while building and include/quillmere/ once installed.
foreach(target toolkit model image)
  set_property(TARGET ${target} PROPERTY INTERFACE_INCLUDE_DIRECTORIES
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>)
endforeach()
quillmere_install_library(toolkit toolkit HEADERS toolkit/toolkit.h)
quillmere_install_library(model model_reading HEADERS model/model.h)
quillmere_install_library(image image_decoding HEADERS image/image.h)
set(QUILLMERE_CONFIG_DEPENDENCIES "find_dependency(OpenGL COMPONENTS OpenGL)
find_dependency(assimp)")
