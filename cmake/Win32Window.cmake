# The window program for Windows where no Qt can be had (the MinGW-w64 cross
# build): vacantix.exe, native Win32 with Common Controls 6, its resources,
# and the two ways to ship it, an NSIS installer and a portable zip.
#
#   vacantix_win32       the window views (app/win, settings/win/Win32*) and
#                        the control wrappers (platform/win/controls), which
#                        vacantix.exe and the window tests link
#   vacantix             vacantix.exe, with the manifest, the icon and the version
#   vacantix_installer   vacantix-<version>-win64-setup.exe (with makensis)
#   vacantix_portable    vacantix-<version>-win64.zip (with zip)
enable_language(RC)

set(win32_generated ${CMAKE_BINARY_DIR}/generated/win32)
file(MAKE_DIRECTORY ${win32_generated})

# The program icon: one .ico of every size of the PNGs that Linux installs.
find_program(VACANTIX_ICOTOOL icotool)
if(NOT VACANTIX_ICOTOOL)
  message(FATAL_ERROR "The Windows window needs icotool to make its icon: apt install icoutils")
endif()
set(icon_pngs)
foreach(size 16 32 48 64 128)
  list(APPEND icon_pngs ${CMAKE_SOURCE_DIR}/app/icons/${VACANTIX_APP_ID}-${size}.png)
endforeach()
set(program_icon ${win32_generated}/vacantix.ico)
# The 256-pixel image stays a PNG inside the .ico, as Windows keeps it.
add_custom_command(OUTPUT ${program_icon}
  COMMAND ${VACANTIX_ICOTOOL} -c -o ${program_icon} ${icon_pngs}
          --raw=${CMAKE_SOURCE_DIR}/app/icons/${VACANTIX_APP_ID}-256.png
  DEPENDS ${icon_pngs} ${CMAKE_SOURCE_DIR}/app/icons/${VACANTIX_APP_ID}-256.png
  COMMENT "Making the program icon")

set(manifest ${CMAKE_SOURCE_DIR}/app/win/Vacantix.manifest)
set(icon ${program_icon})
configure_file(${CMAKE_SOURCE_DIR}/app/win/Vacantix.rc.in ${win32_generated}/Vacantix.rc @ONLY)
set_source_files_properties(${win32_generated}/Vacantix.rc PROPERTIES
  OBJECT_DEPENDS "${program_icon};${manifest}")

file(GLOB win32_sources CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/app/win/*.cpp
  ${CMAKE_SOURCE_DIR}/settings/win/Win32*.cpp
  ${CMAKE_SOURCE_DIR}/platform/win/controls/*.cpp)
list(FILTER win32_sources EXCLUDE REGEX "/main\\.cpp$")
add_library(vacantix_win32 STATIC ${win32_sources})
target_link_libraries(vacantix_win32 PUBLIC vacantix_engine comctl32 comdlg32 gdi32 user32 ole32 shell32 uuid)
# Windows 10's calls (per-monitor DPI) and the wide ones throughout.
target_compile_definitions(vacantix_win32 PUBLIC _WIN32_WINNT=0x0A00 WINVER=0x0A00)

if(NOT EXISTS ${CMAKE_SOURCE_DIR}/app/win/main.cpp)
  return()
endif()
add_executable(vacantix WIN32 app/win/main.cpp ${win32_generated}/Vacantix.rc)
target_link_libraries(vacantix PRIVATE vacantix_win32)
# wWinMain; -mwindows comes with the WIN32 property.
target_link_options(vacantix PRIVATE -municode)

# What both ways of shipping hold: the two programs and the sample folder.
set(win32_package_name vacantix-${PROJECT_VERSION}-win64)

# The installer's lists of the sample folder: each file with the folder it
# goes to, each folder to remove on uninstall (deepest first).
file(GLOB_RECURSE sample_files RELATIVE ${CMAKE_SOURCE_DIR}/Samples ${CMAKE_SOURCE_DIR}/Samples/*)
list(SORT sample_files)
list(TRANSFORM sample_files PREPEND ${CMAKE_SOURCE_DIR}/Samples/ OUTPUT_VARIABLE sample_files_abs)
set(sample_folders ${empty_samples})
set(install_lines "!macro InstallSamples\n  CreateDirectory \"$INSTDIR\\Samples\"\n")
set(uninstall_lines "!macro UninstallSamples\n")
foreach(file IN LISTS sample_files)
  get_filename_component(folder "${file}" DIRECTORY)
  while(folder)
    list(APPEND sample_folders "${folder}")
    get_filename_component(folder "${folder}" DIRECTORY)
  endwhile()
  get_filename_component(folder "${file}" DIRECTORY)
  string(REPLACE "/" "\\" folder_win "Samples/${folder}")
  string(REPLACE "/" "\\" file_win "Samples/${file}")
  string(APPEND install_lines "  SetOutPath \"$INSTDIR\\${folder_win}\"\n"
                              "  File \"${CMAKE_SOURCE_DIR}/Samples/${file}\"\n")
  string(APPEND uninstall_lines "  Delete \"$INSTDIR\\${file_win}\"\n")
endforeach()
list(REMOVE_DUPLICATES sample_folders)
foreach(folder IN LISTS empty_samples)
  string(REPLACE "/" "\\" folder_win "Samples/${folder}")
  string(APPEND install_lines "  CreateDirectory \"$INSTDIR\\${folder_win}\"\n")
endforeach()
# Deepest first: a longer path never lies above a shorter one.
list(SORT sample_folders ORDER DESCENDING)
foreach(folder IN LISTS sample_folders)
  string(REPLACE "/" "\\" folder_win "Samples/${folder}")
  string(APPEND uninstall_lines "  RMDir \"$INSTDIR\\${folder_win}\"\n")
endforeach()
string(APPEND install_lines "  SetOutPath \"$INSTDIR\"\n!macroend\n")
string(APPEND uninstall_lines "  RMDir \"$INSTDIR\\Samples\"\n!macroend\n")
file(CONFIGURE OUTPUT ${win32_generated}/Samples.nsh CONTENT "${install_lines}${uninstall_lines}")

# Both ship the same folder: the two programs without their debugging
# information, and the sample folder.
set(stage ${CMAKE_BINARY_DIR}/package/Vacantix)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(staged ${stage}/vacantix.exe ${stage}/vacantix-cli.exe)
add_custom_command(OUTPUT ${staged}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:vacantix> $<TARGET_FILE:vacantix-cli> ${stage}
  COMMAND ${CMAKE_STRIP} ${staged}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_BINARY_DIR}/Samples ${stage}/Samples
  DEPENDS vacantix vacantix-cli vacantix_samples
  COMMENT "Gathering what the installer and the portable zip hold")

find_program(VACANTIX_MAKENSIS makensis)
if(VACANTIX_MAKENSIS)
  set(installer ${CMAKE_BINARY_DIR}/${win32_package_name}-setup.exe)
  add_custom_command(OUTPUT ${installer}
    COMMAND ${VACANTIX_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DBINARY_DIR=${stage}
            -DICON=${program_icon} -DSAMPLES_NSH=${win32_generated}/Samples.nsh -DOUTFILE=${installer}
            ${CMAKE_SOURCE_DIR}/installer/Vacantix.nsi
    DEPENDS ${staged} ${program_icon} ${win32_generated}/Samples.nsh ${CMAKE_SOURCE_DIR}/installer/Vacantix.nsi
            ${sample_files_abs}
    COMMENT "Making the installer ${win32_package_name}-setup.exe")
  add_custom_target(vacantix_installer ALL DEPENDS ${installer})
else()
  message(STATUS "makensis not found: no installer (apt install nsis)")
endif()

find_program(VACANTIX_ZIP zip)
if(VACANTIX_ZIP)
  set(portable ${CMAKE_BINARY_DIR}/${win32_package_name}.zip)
  add_custom_command(OUTPUT ${portable}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${portable}
    COMMAND ${VACANTIX_ZIP} -q -r -X ${portable} Vacantix
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/package
    DEPENDS ${staged}
    COMMENT "Making the portable zip ${win32_package_name}.zip")
  add_custom_target(vacantix_portable ALL DEPENDS ${portable})
else()
  message(STATUS "zip not found: no portable zip (apt install zip)")
endif()
