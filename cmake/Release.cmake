# The release archive (cmake --build --preset i686 --target package): one folder, named like
# the archive, holding the program, its data/, the users' text and the third-party notices.
# It ships what the program reads: the BMP beside the DDS texture is for the benchmark only.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(MIRELTH_PACKAGE_NAME mirelth-${PROJECT_VERSION}-win32)
else()
  set(MIRELTH_PACKAGE_NAME mirelth-${PROJECT_VERSION}-win64)
endif()
set(MIRELTH_PACKAGE ${CMAKE_BINARY_DIR}/${MIRELTH_PACKAGE_NAME}.zip)

# Windows' Notepad before 2018 shows LF-only text as one line.
set(release_texts)
foreach(text README.txt NOTICES.txt)
  configure_file(${CMAKE_SOURCE_DIR}/release/${text} ${CMAKE_BINARY_DIR}/release/${text}
                 @ONLY NEWLINE_STYLE CRLF)
  list(APPEND release_texts ${CMAKE_BINARY_DIR}/release/${text})
endforeach()

install(TARGETS mirelth RUNTIME DESTINATION .)
install(DIRECTORY ${CMAKE_BINARY_DIR}/data DESTINATION . PATTERN checker.bmp EXCLUDE)
install(FILES ${release_texts} DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME mirelth)
set(CPACK_PACKAGE_VENDOR Bexa)
set(CPACK_PACKAGE_FILE_NAME ${MIRELTH_PACKAGE_NAME})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
