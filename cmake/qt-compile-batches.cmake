# Read into the configure of the static Qts (scripts/build-qt), which
# compile most of Qt in batches of files (a unity build). Qt leaves two
# large parts out of that, for the sake of other platforms: Gui, for X11's
# macros and Windows' headers, and the bundled HarfBuzz, as every bundled
# library. Both compile in batches here too; only Gui's Windows code,
# whose files define helpers of the same names, stays file by file.
# HarfBuzz's font subsetting, which nothing in Qt calls, is not compiled.
include_guard(GLOBAL)

# Sets whether TARGET leaves its SOURCES (paths as the target lists them)
# out of its batches: SKIP is ON or OFF.
function(vellorin_qt_skip_batches target skip sources)
  get_target_property(directory ${target} SOURCE_DIR)
  set(paths)
  foreach(source IN LISTS sources)
    cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY "${directory}" NORMALIZE)
    list(APPEND paths "${source}")
  endforeach()
  set_source_files_properties(${paths} TARGET_DIRECTORY ${target} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ${skip})
endfunction()

function(vellorin_qt_compile_in_batches)
  set_target_properties(Gui BundledHarfbuzz PROPERTIES UNITY_BUILD ON)
  if(WIN32)
    get_target_property(sources Gui SOURCES)
    list(FILTER sources INCLUDE REGEX "(^|/)windows/|_win\\.cpp$|/qrhid3d|D3D12MemAlloc")
    vellorin_qt_skip_batches(Gui ON "${sources}")
  endif()
  get_target_property(sources BundledHarfbuzz SOURCES)
  list(FILTER sources EXCLUDE REGEX "(^|/)hb-subset[^/]*\\.cc$")
  set_property(TARGET BundledHarfbuzz PROPERTY SOURCES ${sources})
  vellorin_qt_skip_batches(BundledHarfbuzz OFF "${sources}")
endfunction()
# Once every target of Qt is defined.
cmake_language(DEFER DIRECTORY "${CMAKE_SOURCE_DIR}" CALL vellorin_qt_compile_in_batches)
