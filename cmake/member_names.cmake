# Script mode (cmake -DNAMES=FILE ... -P member_names.cmake): turns a file of member names, one a line
# in packing order (written by the host tree for the demo payload, by quzpack check for a package),
# into what a mingw-w64 tree needs. The names are handled as text, never as CMake lists, since a
# file name may hold ';' or '['.
#   -DINC=FILE                    the uninstaller's list of members, one C string literal a line
#   -DLIST=FILE -DFOLDER=DIR -DUNINSTALLER=EXE
#                                 the files quzpack packs: DIR/NAME for each name, and EXE for the
#                                 uninstaller quordel8.exe when DIR has none
# Each output is replaced only when its text changes.
file(READ "${NAMES}" names)
if(DEFINED INC)
  string(REGEX REPLACE "([^\n]+)\n" "    \"\\1\",\n" text "${names}")
  set(output "${INC}")
else()
  # "\nA\nB\n" -> "\nDIR/A\nDIR/B\nDIR/", then the leading newline and the trailing "DIR/" go.
  string(REPLACE "\n" "\n${FOLDER}/" text "\n${names}")
  if(NOT EXISTS "${FOLDER}/quordel8.exe")
    string(REPLACE "\n${FOLDER}/quordel8.exe\n" "\n${UNINSTALLER}\n" text "${text}")
  endif()
  string(LENGTH "${FOLDER}/" tail)
  string(LENGTH "${text}" length)
  math(EXPR length "${length} - ${tail} - 1")
  string(SUBSTRING "${text}" 1 ${length} text)
  set(output "${LIST}")
endif()
file(WRITE "${output}.new" "${text}")
file(COPY_FILE "${output}.new" "${output}" ONLY_IF_DIFFERENT)
file(REMOVE "${output}.new")
