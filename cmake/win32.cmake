# The real Windows program, SETUP_Ortavia_on_line.exe: the core, the Win32
# platform and the Windows resources (icon, background picture, version,
# manifest), linked statically so that it needs no DLL beyond Windows' own.
enable_language(RC)

file(GLOB ORTAVIA_WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/win32/*.cpp)
set(ORTAVIA_WIN32_RC ${CMAKE_SOURCE_DIR}/src/content/win32/setup.rc)

add_executable(ortavia_setup WIN32 ${ORTAVIA_WIN32_SOURCES} ${ORTAVIA_WIN32_RC})
set_target_properties(ortavia_setup PROPERTIES OUTPUT_NAME SETUP_Ortavia_on_line)
target_link_libraries(ortavia_setup PRIVATE ortavia_core
  user32 gdi32 shell32 shlwapi ole32 oleaut32 uuid advapi32)
target_link_options(ortavia_setup PRIVATE -municode -static -static-libgcc -static-libstdc++)
# windres finds the picture, icon and manifest beside the script.
set_property(SOURCE ${ORTAVIA_WIN32_RC} APPEND PROPERTY INCLUDE_DIRECTORIES
  ${CMAKE_SOURCE_DIR}/src/content/win32 ${CMAKE_SOURCE_DIR}/src)
set_property(SOURCE ${ORTAVIA_WIN32_RC} APPEND PROPERTY OBJECT_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/content/win32/background.jpg
  ${CMAKE_SOURCE_DIR}/src/content/win32/ortavia.ico
  ${CMAKE_SOURCE_DIR}/src/content/win32/setup.manifest
  ${CMAKE_SOURCE_DIR}/src/content/win32/resource_ids.h)
