# Writes the page's service worker into a built web folder: the list of
# every file there with the SHA-256 of its content, and the name of the
# cache, made from that list. A folder whose files changed gets a different
# worker, which browsers that keep the old build take as an update.
#
# Usage: cmake -DDIST=path/to/dist -P write-service-worker.cmake
if(NOT DEFINED DIST OR NOT IS_DIRECTORY "${DIST}")
  message(FATAL_ERROR "usage: cmake -DDIST=path/to/dist -P write-service-worker.cmake")
endif()

file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${DIST}" "${DIST}/*")
list(SORT files)
set(entries "")
foreach(file IN LISTS files)
  # Not the worker itself, nor the compressed copies that a server may
  # send in the originals' place.
  if(file STREQUAL "service-worker.js" OR file MATCHES "\\.(br|gz)$")
    continue()
  endif()
  # The names go into the script as they are, and into URLs.
  if(NOT file MATCHES "^[A-Za-z0-9._/-]+$")
    message(FATAL_ERROR "${DIST}/${file}: a name the service worker cannot list as it is")
  endif()
  file(SHA256 "${DIST}/${file}" digest)
  string(APPEND entries "  ['${file}', '${digest}'],\n")
endforeach()
if(entries STREQUAL "")
  message(FATAL_ERROR "${DIST} has no files to keep")
endif()

set(VELLORIN_FILES "${entries}")
string(SHA256 VELLORIN_BUILD "${entries}")
string(SUBSTRING "${VELLORIN_BUILD}" 0 16 VELLORIN_BUILD)
configure_file("${CMAKE_CURRENT_LIST_DIR}/service-worker.js.in" "${DIST}/service-worker.js" @ONLY)
