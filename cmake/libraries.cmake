# The libraries that other programs build on, each as Quillmere::<name> with the headers that say
# what it offers (and the project headers those include). The GL halves (model_drawing,
# image_upload) stay inside the program. diagnostics comes along: the readers report through it.
quillmere_install_library(diagnostics diagnostics HEADERS common/diagnostics.h)
quillmere_install_library(toolkit toolkit HEADERS toolkit/toolkit.h)
quillmere_install_library(image_decoding image_decoding HEADERS image/bitmap.h image/texture.h)
quillmere_install_library(model_reading model_reading
  HEADERS model/reading.h model/model_file.h model/import.h model/texture_mapping.h)
# What the installed targets link to besides each other (model_reading: GLU's tessellator for the
# preparation of drawing, assimp for other formats, threads for reading large OBJ files).
set(QUILLMERE_CONFIG_DEPENDENCIES "find_dependency(OpenGL COMPONENTS OpenGL)
find_dependency(assimp)
find_dependency(Threads)")
