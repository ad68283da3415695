# Keeps POSIX headers inside the POSIX platform code, so that the engine, the
# command line's portable part and the window compile on Windows too.
#
# Allowed: platform/gio/, any `posix/` folder (platform/posix/, cli/posix/,
# roots/posix/), any `win/` folder (the C runtime of Windows has its own
# fcntl.h and sys/stat.h), and the tests, fuzz targets and benchmarks. Used at configure time (include) and as a test:
#   cmake -DVACANTIX_SOURCE_DIR=<source> -P cmake/CheckPosixHeaders.cmake

# The system's POSIX headers, and the headers of the POSIX platform classes
# (which pull them in): code elsewhere reaches those through the factories of
# platform/PlatformServices.h.
set(vacantix_posix_header_regex
    "#[ \t]*include[ \t]*(<(unistd|fcntl|dirent|signal|pwd|grp|dlfcn|poll|termios|spawn|glob|fnmatch|libgen|pthread|sched|syslog|utime|mntent|ftw|wordexp|sys/[^>]+|linux/[^>]+)\\.h>|\"platform/(posix|gio)/)")

function(vacantix_check_posix_headers source_dir)
  file(GLOB_RECURSE sources RELATIVE ${source_dir}
       ${source_dir}/*.cpp ${source_dir}/*.h ${source_dir}/*.hpp ${source_dir}/*.inc)
  set(offenders)
  foreach(file IN LISTS sources)
    if(file MATCHES "^(tests|fuzz|bench|build[^/]*|\\.[^/]*)/|(^|/)(posix|win)/|^platform/gio/")
      continue()
    endif()
    file(STRINGS ${source_dir}/${file} lines REGEX "${vacantix_posix_header_regex}")
    foreach(line IN LISTS lines)
      string(STRIP "${line}" line)
      list(APPEND offenders "${file}: ${line}")
    endforeach()
  endforeach()
  if(offenders)
    list(JOIN offenders "\n  " shown)
    message(FATAL_ERROR "POSIX headers outside the POSIX platform code (move the call into a posix/ file):\n  ${shown}")
  endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE)
  vacantix_check_posix_headers(${VACANTIX_SOURCE_DIR})
endif()
