# The licences that a program with Qt linked into it carries (the Windows
# and the web programs): Vellorin's own, its typeface's, and the notices
# that the Qt build wrote for itself and for what it compiled in.
# vellorin_static_qt_licenses(DIR COMMANDS_VAR FILES_VAR) checks that every
# file is there, sets FILES_VAR to them (for DEPENDS) and COMMANDS_VAR to
# the custom-command steps that copy them into DIR under the names users see.
function(vellorin_static_qt_licenses dir commands_var files_var)
  set(qt_notices ${QT6_INSTALL_PREFIX}/notices)
  set(own ${PROJECT_SOURCE_DIR}/LICENSE)
  set(typeface ${PROJECT_SOURCE_DIR}/platform/fonts/COPYING-LiberationFonts)
  set(qt ${qt_notices}/Qt.txt ${qt_notices}/Qt-third-party.txt ${qt_notices}/LGPL-3.0-only.txt
         ${qt_notices}/GPL-3.0-only.txt)
  foreach(file IN LISTS own typeface qt)
    if(NOT EXISTS ${file})
      message(FATAL_ERROR "${file} is missing: build Qt with scripts/build-qt")
    endif()
  endforeach()
  set(${files_var} ${own} ${typeface} ${qt} PARENT_SCOPE)
  set(${commands_var}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${CMAKE_COMMAND} -E copy ${own} ${dir}/LICENSE.txt
    COMMAND ${CMAKE_COMMAND} -E copy ${typeface} ${dir}/COPYING-LiberationFonts.txt
    COMMAND ${CMAKE_COMMAND} -E copy ${qt} ${dir}
    PARENT_SCOPE)
endfunction()
