# The release package: a ZIP with kelvane.exe and the README as a text file with
# Windows line ends. `cmake --build build/win64 --target package` gives
# kelvane-1.25-win64.zip, the win32 build kelvane-1.25-win32.zip.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(kelvane_package_arch win64)
else()
  set(kelvane_package_arch win32)
endif()

configure_file(${CMAKE_SOURCE_DIR}/README.md ${CMAKE_BINARY_DIR}/README.txt @ONLY
               NEWLINE_STYLE CRLF)

install(TARGETS kelvane RUNTIME DESTINATION . COMPONENT program)
install(FILES ${CMAKE_BINARY_DIR}/README.txt DESTINATION . COMPONENT program)

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
