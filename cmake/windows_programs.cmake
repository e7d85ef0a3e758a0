# The Windows programs (included from CMakeLists.txt when WIN32).

# Their resources: the version record, the icon (made from the PNG icons at
# build time) and the manifest.
enable_language(RC)
set(TESSARINE_ICON ${CMAKE_BINARY_DIR}/tessarine.ico)
set(TESSARINE_MANIFEST ${CMAKE_SOURCE_DIR}/resources/windows/tessarine.manifest)
add_custom_command(OUTPUT ${TESSARINE_ICON}
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/scripts/make_ico.py ${TESSARINE_ICON}
    ${CMAKE_SOURCE_DIR}/resources/icons/tessarine-16.png
    ${CMAKE_SOURCE_DIR}/resources/icons/tessarine-32.png
  DEPENDS ${CMAKE_SOURCE_DIR}/scripts/make_ico.py ${CMAKE_SOURCE_DIR}/resources/icons/tessarine-16.png
    ${CMAKE_SOURCE_DIR}/resources/icons/tessarine-32.png VERBATIM)
configure_file(resources/windows/tessarine.rc.in tessarine.rc @ONLY)
set_source_files_properties(${CMAKE_BINARY_DIR}/tessarine.rc PROPERTIES
  OBJECT_DEPENDS "${TESSARINE_ICON};${TESSARINE_MANIFEST}")
add_library(tessarine_windows_resources OBJECT ${CMAKE_BINARY_DIR}/tessarine.rc)

# `tessarine.exe`: the command line, a console program, so that cmd and
# PowerShell wait for it, see its exit status and pipe its output.
add_executable(tessarine src/app/command_win32.cpp
  $<TARGET_OBJECTS:tessarine_windows_resources>)
target_link_libraries(tessarine PRIVATE tessarine_cli tessarine_win32)
target_link_options(tessarine PRIVATE -municode)
target_compile_definitions(tessarine PRIVATE ${TESSARINE_VERSION_DEFINITIONS})

# `tessarine-window.exe`: the window program, a GUI program (no console
# window opens with it).
add_executable(tessarine-window WIN32 src/app/window_main_win32.cpp src/app/release_everything.cpp
  $<TARGET_OBJECTS:tessarine_windows_resources>)
target_link_libraries(tessarine-window PRIVATE tessarine_program tessarine_win32 ole32)
target_link_options(tessarine-window PRIVATE -municode)
target_compile_definitions(tessarine-window PRIVATE ${TESSARINE_VERSION_DEFINITIONS})

# The installer (NSIS): `cmake --build build-windows --target installer`
# makes tessarine-setup.exe of the stripped programs.
find_program(MAKENSIS makensis)
if(MAKENSIS)
  set(INSTALLER_FILES ${CMAKE_BINARY_DIR}/installer-files)
  set(INSTALLER_PROGRAMS tessarine)
  set(INSTALLER_DEFINES)
  if(TARGET tessarine-window)
    list(APPEND INSTALLER_PROGRAMS tessarine-window)
    list(APPEND INSTALLER_DEFINES -DWINDOW_PROGRAM)
  endif()
  set(INSTALLER_STRIPS)
  foreach(program ${INSTALLER_PROGRAMS})
    list(APPEND INSTALLER_STRIPS COMMAND ${CMAKE_STRIP} -o ${INSTALLER_FILES}/${program}.exe
      $<TARGET_FILE:${program}>)
  endforeach()
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/tessarine-setup.exe
    COMMAND ${CMAKE_COMMAND} -E make_directory ${INSTALLER_FILES}
    ${INSTALLER_STRIPS}
    COMMAND ${MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DFILES=${INSTALLER_FILES}
      -DICON=${TESSARINE_ICON} -DOUTFILE=${CMAKE_BINARY_DIR}/tessarine-setup.exe
      ${INSTALLER_DEFINES} ${CMAKE_SOURCE_DIR}/resources/windows/tessarine.nsi
    DEPENDS ${INSTALLER_PROGRAMS} ${TESSARINE_ICON} ${CMAKE_SOURCE_DIR}/resources/windows/tessarine.nsi
    VERBATIM)
  add_custom_target(installer DEPENDS ${CMAKE_BINARY_DIR}/tessarine-setup.exe)
endif()
