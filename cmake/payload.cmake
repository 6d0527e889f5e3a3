# The payload pictures: the four files the setup installs, each packed into a
# 24-bit BMP along the payload walk and embedded in the program with .incbin
# (no C array is generated; the bitmaps are read in place at run time).
#
# Where the pictures come from, first match wins:
#
#   ORTAVIA_PAYLOAD_BMP_DIR     folder holding the four ready pictures
#                               Picture4.bmp (Ortavia_on_line.exe, 1600 x 2000),
#                               Picture5.bmp (DAO360.dll, 1600 x 400),
#                               Picture6.bmp (MsWinsck.ocx, 700 x 200),
#                               Picture7.bmp (msinet.ocx, 1600 x 80).
#                               They are embedded as they are and no host tool
#                               runs, which is what a cross build (mingw) needs:
#                               pack them first with a native build's ortavia-pack.
#   ORTAVIA_PAYLOAD_SOURCE_DIR  folder holding the four real files
#                               Ortavia_on_line.exe (1617920 bytes),
#                               MsWinsck.ocx (109248), DAO360.dll (557328) and
#                               msinet.ocx (115920); the build packs them with
#                               ortavia-pack.  The sizes are those the
#                               installation run's last byte indices expect.
#   (neither)                   the build generates reproducible stand-ins of
#                               exactly those sizes with ortavia-standin and
#                               packs them.
#
# The host tools ortavia-pack and ortavia-standin are built whenever the build
# is not a cross build.

set(ORTAVIA_PAYLOAD_BMP_DIR "" CACHE PATH "Folder with ready Picture4.bmp .. Picture7.bmp to embed as they are")
set(ORTAVIA_PAYLOAD_SOURCE_DIR "" CACHE PATH "Folder with the four real payload files to pack")

# picture, file it carries, size in bytes, width, height
set(ORTAVIA_PAYLOAD_TABLE
  "Picture4|Ortavia_on_line.exe|1617920|1600|2000"
  "Picture5|DAO360.dll|557328|1600|400"
  "Picture6|MsWinsck.ocx|109248|700|200"
  "Picture7|msinet.ocx|115920|1600|80")

if(NOT CMAKE_CROSSCOMPILING)
  add_executable(ortavia-pack tools/ortavia_pack.cpp src/payload/bmp.cpp src/payload/pack.cpp)
  target_include_directories(ortavia-pack PRIVATE src)
  add_executable(ortavia-standin tools/ortavia_standin.cpp)
endif()

set(_ortavia_payload_gen "${CMAKE_BINARY_DIR}/payload")
set(_ortavia_payload_bmps "")
set(_ortavia_payload_files_dir "")

if(ORTAVIA_PAYLOAD_BMP_DIR)
  foreach(_row IN LISTS ORTAVIA_PAYLOAD_TABLE)
    string(REPLACE "|" ";" _row "${_row}")
    list(GET _row 0 _picture)
    set(_bmp "${ORTAVIA_PAYLOAD_BMP_DIR}/${_picture}.bmp")
    if(NOT EXISTS "${_bmp}")
      message(FATAL_ERROR "ORTAVIA_PAYLOAD_BMP_DIR: ${_bmp} is missing")
    endif()
    list(APPEND _ortavia_payload_bmps "${_bmp}")
  endforeach()
else()
  if(CMAKE_CROSSCOMPILING)
    message(FATAL_ERROR "A cross build cannot run ortavia-pack: set ORTAVIA_PAYLOAD_BMP_DIR to a folder with "
                        "Picture4.bmp .. Picture7.bmp packed by a native build")
  endif()
  if(ORTAVIA_PAYLOAD_SOURCE_DIR)
    set(_ortavia_payload_files_dir "${ORTAVIA_PAYLOAD_SOURCE_DIR}")
  else()
    set(_ortavia_payload_files_dir "${_ortavia_payload_gen}/standins")
  endif()
  file(MAKE_DIRECTORY "${_ortavia_payload_gen}/standins")
  foreach(_row IN LISTS ORTAVIA_PAYLOAD_TABLE)
    string(REPLACE "|" ";" _row "${_row}")
    list(GET _row 0 _picture)
    list(GET _row 1 _name)
    list(GET _row 2 _size)
    list(GET _row 3 _width)
    list(GET _row 4 _height)
    set(_file "${_ortavia_payload_files_dir}/${_name}")
    if(ORTAVIA_PAYLOAD_SOURCE_DIR)
      if(NOT EXISTS "${_file}")
        message(FATAL_ERROR "ORTAVIA_PAYLOAD_SOURCE_DIR: ${_file} is missing")
      endif()
      file(SIZE "${_file}" _actual)
      if(NOT _actual EQUAL _size)
        message(FATAL_ERROR "ORTAVIA_PAYLOAD_SOURCE_DIR: ${_file} has ${_actual} bytes, the installation run "
                            "expects ${_size}")
      endif()
    else()
      add_custom_command(OUTPUT "${_file}"
        COMMAND ortavia-standin "${_name}" ${_size} "${_file}"
        DEPENDS ortavia-standin
        COMMENT "Stand-in ${_name}"
        VERBATIM)
    endif()
    set(_bmp "${_ortavia_payload_gen}/${_picture}.bmp")
    add_custom_command(OUTPUT "${_bmp}"
      COMMAND ortavia-pack --width ${_width} --height ${_height} "${_file}" "${_bmp}"
      DEPENDS ortavia-pack "${_file}"
      COMMENT "Packing ${_name} into ${_picture}"
      VERBATIM)
    list(APPEND _ortavia_payload_bmps "${_bmp}")
  endforeach()
endif()

add_custom_target(ortavia_payload_pictures DEPENDS ${_ortavia_payload_bmps})
add_dependencies(ortavia_core ortavia_payload_pictures)

list(GET _ortavia_payload_bmps 0 _p4)
list(GET _ortavia_payload_bmps 1 _p5)
list(GET _ortavia_payload_bmps 2 _p6)
list(GET _ortavia_payload_bmps 3 _p7)
set_source_files_properties("${CMAKE_SOURCE_DIR}/src/content/payload_pictures.cpp" PROPERTIES
  COMPILE_DEFINITIONS "ORTAVIA_PICTURE4_BMP=\"${_p4}\";ORTAVIA_PICTURE5_BMP=\"${_p5}\";ORTAVIA_PICTURE6_BMP=\"${_p6}\";ORTAVIA_PICTURE7_BMP=\"${_p7}\""
  OBJECT_DEPENDS "${_ortavia_payload_bmps}")

# The installation tests compare what the run writes with the files that were
# packed; with ready pictures they have nothing to compare with.
if(_ortavia_payload_files_dir)
  file(GLOB _ortavia_payload_tests CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/payload/*.cpp")
  set_source_files_properties(${_ortavia_payload_tests} PROPERTIES
    COMPILE_DEFINITIONS "ORTAVIA_PAYLOAD_FILES_DIR=\"${_ortavia_payload_files_dir}\"")
endif()
