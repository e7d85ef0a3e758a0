# The Windows programs (included from CMakeLists.txt when WIN32).

# `tessarine.exe`: the command line, a console program, so that cmd and
# PowerShell wait for it, see its exit status and pipe its output.
# Linked once the output layer's Windows files (file replacement, file
# sink, JPEG) are in.
if(NOT EXISTS ${CMAKE_SOURCE_DIR}/src/output/file_replace_win32.cpp)
  message(STATUS "tessarine.exe left out: src/output/file_replace_win32.cpp not there yet")
  return()
endif()
add_executable(tessarine src/app/windows_command.cpp)
target_link_libraries(tessarine PRIVATE tessarine_cli tessarine_win32)
target_link_options(tessarine PRIVATE -municode)
target_compile_definitions(tessarine PRIVATE ${TESSARINE_VERSION_DEFINITIONS})
