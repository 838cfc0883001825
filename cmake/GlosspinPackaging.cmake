# Debian packages through CPack's DEB generator (scripts/package):
#   libglosspin0       the library, its resource file and its program directory
#   libglosspin-dev    headers, find_package files, glosspin.pc, the API reference
#   glosspin           the application and the programs, manual pages, desktop files
#   glosspin-monitord  the file-change monitor service and its systemd unit
# Configure with -DGLOSSPIN_PACKAGING=ON -DCMAKE_INSTALL_PREFIX=/usr.
if(NOT GLOSSPIN_PACKAGING)
  return()
endif()

set(GLOSSPIN_DEB_VERSION "${PROJECT_VERSION}")
set(GLOSSPIN_DEB_PACKAGES
  runtime:libglosspin0 development:libglosspin-dev application:glosspin monitor:glosspin-monitord)

# Each package carries the copyright and the Debian changelog in its
# documentation directory, the changelog compressed the reproducible way.
set(changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian.gz)
execute_process(COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/share/debian/changelog
                OUTPUT_FILE ${changelog} RESULT_VARIABLE gzipped)
if(NOT gzipped EQUAL 0)
  message(FATAL_ERROR "cannot compress the Debian changelog")
endif()
foreach(entry ${GLOSSPIN_DEB_PACKAGES})
  string(REPLACE ":" ";" parts ${entry})
  list(GET parts 0 component)
  list(GET parts 1 package)
  install(FILES ${PROJECT_SOURCE_DIR}/share/debian/copyright ${changelog}
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
  string(TOUPPER ${component} COMPONENT)
  set(CPACK_DEBIAN_${COMPONENT}_PACKAGE_NAME ${package})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime development application monitor)
set(CPACK_PACKAGE_NAME glosspin)
set(CPACK_PACKAGE_VENDOR "The Glosspin developers")
set(CPACK_PACKAGE_CONTACT "Glosspin developers <glosspin@example.org>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Glosspin developers <glosspin@example.org>")
set(CPACK_DEBIAN_PACKAGE_VERSION ${GLOSSPIN_DEB_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The programs need the library of the libglosspin0 package, found in the
# build tree (that package depends on it exactly).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/src)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://example.org/glosspin")
set(CPACK_STRIP_FILES ON)
set(exact "(= ${GLOSSPIN_DEB_VERSION}-1)")

set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
# A shlibs file and the ldconfig trigger for the package with the library.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY "=")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/share/debian/triggers)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "markers and multimedia notes for Open Inventor scenes
Glosspin attaches markers (arrows, bullets) and notes (text, web links,
camera views, movies, sounds, images, shell commands, other scenes) to
Open Inventor 3-D scenes, plays them back in order, and saves them in the
toolkit's own scene files.

This package holds the shared library, its resource file and the
directory of the programs its notes run.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS
  "libglosspin0 ${exact}, inventor-dev, libmotif-dev, libxt-dev, libxmu-dev, libxpm-dev, libgl-dev, libglu1-mesa-dev")
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION "markers and multimedia notes for Open Inventor scenes - development files
Glosspin attaches markers and multimedia notes to Open Inventor 3-D
scenes. This package holds the headers, the CMake package files
(find_package(Glosspin), target Glosspin::Glosspin), glosspin.pc for
pkg-config and the API reference (HTML).")

set(CPACK_DEBIAN_APPLICATION_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_APPLICATION_PACKAGE_DEPENDS
  "libglosspin0 ${exact}, ffmpeg, mpv | ffmpeg, sox, imagemagick, xdg-utils")
set(CPACK_DEBIAN_APPLICATION_PACKAGE_RECOMMENDS "libjs-three, libsox-fmt-base, glosspin-monitord")
set(CPACK_COMPONENT_APPLICATION_DESCRIPTION "view, annotate and present 3-D scenes
Glosspin attaches markers and multimedia notes to Open Inventor 3-D
scenes. This package holds the application (glosspin), the scene tool
(glosspin-scene: list, convert, import models, publish web pages), the
viewer of scene notes, the recorder and the players the notes run, and
the desktop entry and file type of scene files.")

set(CPACK_DEBIAN_MONITOR_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_MONITOR_PACKAGE_DEPENDS "rpcbind")
set(CPACK_COMPONENT_MONITOR_DESCRIPTION "file-change monitor service for Glosspin programs
Tells Glosspin programs when the files and directories they watch
change, checking each request against its user's rights. It registers
with the port mapper and is started by its systemd unit.")

include(CPack)
