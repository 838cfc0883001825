# Locates the scene toolkit, Motif/Xt/X11, GL and the platform libraries,
# and gathers them into imported targets.
find_package(PkgConfig REQUIRED)
find_package(X11 REQUIRED)
# libGL as the toolkit itself links it.
set(OpenGL_GL_PREFERENCE LEGACY)
find_package(OpenGL REQUIRED)

find_path(INVENTOR_INCLUDE_DIR Inventor/SoDB.h)
find_library(INVENTOR_LIBRARY Inventor PATHS /usr/lib)
find_library(INVENTOR_XT_LIBRARY InventorXt PATHS /usr/lib)
find_library(MOTIF_LIBRARY Xm)
find_library(GLU_LIBRARY GLU)
if(NOT INVENTOR_INCLUDE_DIR OR NOT INVENTOR_LIBRARY OR NOT INVENTOR_XT_LIBRARY)
  message(FATAL_ERROR "The Inventor toolkit was not found; run scripts/install-deps")
endif()
if(NOT MOTIF_LIBRARY)
  message(FATAL_ERROR "Motif was not found; run scripts/install-deps")
endif()

pkg_check_modules(ALSA REQUIRED IMPORTED_TARGET alsa)
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
# Media lengths of movies and sounds.
pkg_check_modules(AVFORMAT REQUIRED IMPORTED_TARGET libavformat libavutil)
pkg_check_modules(AUDIOFILE REQUIRED IMPORTED_TARGET audiofile)
# ONC RPC, for the port-mapper query of the file-change monitor client.
pkg_check_modules(TIRPC REQUIRED IMPORTED_TARGET libtirpc)
# Model import: the model library reads the formats, stb_image decodes
# their textures.
pkg_check_modules(ASSIMP REQUIRED IMPORTED_TARGET assimp)
pkg_check_modules(STB REQUIRED IMPORTED_TARGET stb)

# The toolkit package links its font names to installed font files here.
set(GLOSSPIN_TOOLKIT_FONT_DIR "/usr/share/inventor/fonts" CACHE PATH
    "Directory of the toolkit's named fonts, looked up before fontconfig")

# Absolute library paths, so that the exported target carries them as they are.
set(GLOSSPIN_TOOLKIT_INCLUDE_DIRS ${INVENTOR_INCLUDE_DIR} ${X11_INCLUDE_DIR})
# Motif must come before Xt in every program's library order, or Xt's own
# vendor shell class wins and Motif widgets fail; with --as-needed a
# program that uses no Motif call would drop it, so it is kept explicitly.
set(GLOSSPIN_TOOLKIT_LIBRARIES
  "-Wl,--push-state,--no-as-needed" ${MOTIF_LIBRARY} "-Wl,--pop-state"
  ${INVENTOR_XT_LIBRARY} ${INVENTOR_LIBRARY}
  ${X11_Xmu_LIB} ${X11_Xpm_LIB} ${X11_Xt_LIB} ${X11_X11_LIB}
  ${OPENGL_gl_LIBRARY} ${GLU_LIBRARY})
