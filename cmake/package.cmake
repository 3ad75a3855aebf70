# The release package: a ZIP with kelvane.exe, the README as a text file with
# Windows line ends and the help page. `cmake --build build/win64 --target package` gives
# kelvane-<version>-win64.zip (the version of project() in CMakeLists.txt), the win32
# build kelvane-<version>-win32.zip.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(kelvane_package_arch win64)
else()
  set(kelvane_package_arch win32)
endif()

configure_file(${CMAKE_SOURCE_DIR}/README.md ${CMAKE_BINARY_DIR}/README.txt @ONLY
               NEWLINE_STYLE CRLF)

# The help page that Help > Help opens, beside kelvane.exe: the README as HTML
# (Debian's python3-markdown, run by the system's own Python).
find_program(KELVANE_HELP_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/Kelvane.html
  COMMAND ${KELVANE_HELP_PYTHON} ${CMAKE_SOURCE_DIR}/scripts/make-help.py
          ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_BINARY_DIR}/Kelvane.html
  DEPENDS ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/scripts/make-help.py
  COMMENT "Help page Kelvane.html")
add_custom_target(kelvane_help ALL DEPENDS ${CMAKE_BINARY_DIR}/Kelvane.html)

install(TARGETS kelvane RUNTIME DESTINATION . COMPONENT program)
install(FILES ${CMAKE_BINARY_DIR}/README.txt ${CMAKE_BINARY_DIR}/Kelvane.html DESTINATION .
        COMPONENT program)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME kelvane)
set(CPACK_PACKAGE_VENDOR "Varnok Software")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME kelvane-${PROJECT_VERSION}-${kelvane_package_arch})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_COMPONENTS_ALL program)
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
set(CPACK_STRIP_FILES ON)
include(CPack)
