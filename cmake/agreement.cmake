# The licence agreement carried inside the program.
#
# src/content/agreement_it.txt holds the eleven paragraphs of Label2(0..10),
# UTF-8, one paragraph a line, each line closed by a "|" end marker so that a
# trailing blank (part of the paragraph) is visible and no editor trims it.
# Line ends may be LF or CR LF.  The bytes are embedded unchanged as a
# comma-separated list that src/content/agreement.cpp includes into a
# constexpr array; that file checks the format at compile time, so a damaged
# resource fails the build instead of the setup.
set(ORTAVIA_AGREEMENT_TEXT ${CMAKE_CURRENT_SOURCE_DIR}/src/content/agreement_it.txt)
set(ORTAVIA_AGREEMENT_GEN_DIR ${CMAKE_CURRENT_BINARY_DIR}/generated/content)
set(ORTAVIA_AGREEMENT_INC ${ORTAVIA_AGREEMENT_GEN_DIR}/agreement_bytes.inc)

# Regenerated whenever the text changes (it re-runs the configure step).
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ORTAVIA_AGREEMENT_TEXT})

file(READ ${ORTAVIA_AGREEMENT_TEXT} _ortavia_agreement_hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," _ortavia_agreement_bytes "${_ortavia_agreement_hex}")
# Break the list into lines of 24 bytes to keep the generated file readable.
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){24})" "\\1\n" _ortavia_agreement_bytes "${_ortavia_agreement_bytes}")
# file(CONFIGURE) rewrites the file only when its content changes, so an
# unrelated reconfigure does not rebuild the core.
file(CONFIGURE OUTPUT ${ORTAVIA_AGREEMENT_INC} CONTENT "${_ortavia_agreement_bytes}\n" @ONLY)

target_include_directories(ortavia_core PRIVATE ${ORTAVIA_AGREEMENT_GEN_DIR})
