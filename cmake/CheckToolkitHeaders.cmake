# Keeps the windows' behaviour free of any toolkit and the main window on
# the top floor, so that each toolkit's window is a view of the same cores:
#   - Qt headers only in a `qt/` folder (and in the Qt program's app/main.cpp);
#   - nothing outside app/ includes a header of app/ (the main window uses
#     the settings window, never the other way round).
# The tests, fuzz targets and benchmarks may include anything. Used at
# configure time (include) and as a test:
#   cmake -DVACANTIX_SOURCE_DIR=<source> -P cmake/CheckToolkitHeaders.cmake

function(vacantix_check_toolkit_headers source_dir)
  file(GLOB_RECURSE sources RELATIVE ${source_dir}
       ${source_dir}/*.cpp ${source_dir}/*.h ${source_dir}/*.hpp ${source_dir}/*.inc)
  set(offenders)
  foreach(file IN LISTS sources)
    if(file MATCHES "^(tests|fuzz|bench|build[^/]*|\\.[^/]*)/")
      continue()
    endif()
    if(NOT file MATCHES "(^|/)qt/" AND NOT file STREQUAL "app/main.cpp")
      file(STRINGS ${source_dir}/${file} lines REGEX "#[ \t]*include[ \t]*<Q")
      foreach(line IN LISTS lines)
        string(STRIP "${line}" line)
        list(APPEND offenders "${file}: ${line} (a Qt header outside a qt/ folder)")
      endforeach()
    endif()
    if(NOT file MATCHES "^app/")
      file(STRINGS ${source_dir}/${file} lines REGEX "#[ \t]*include[ \t]*\"app/")
      foreach(line IN LISTS lines)
        string(STRIP "${line}" line)
        list(APPEND offenders "${file}: ${line} (only app/ itself includes app/)")
      endforeach()
    endif()
  endforeach()
  if(offenders)
    list(JOIN offenders "\n  " shown)
    message(FATAL_ERROR "Includes across the windows' layers:\n  ${shown}")
  endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE)
  vacantix_check_toolkit_headers(${VACANTIX_SOURCE_DIR})
endif()
