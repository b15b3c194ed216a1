# mingw-w64 trees: the setup program (both architectures) and, in the x86_64 tree, the tests.
option(QUOR_BUILD_TESTS "Build the test programs (x86_64 tree; they run under wine64)" ON)
set(QUOR_HOST_BUILD "${CMAKE_SOURCE_DIR}/build/host" CACHE PATH "Host build tree (packer and payload)")
# What the payload (resource QUZ/TAVOQUZ) is packed from: by default the demo payload's members that
# the host tree makes; the package command names a folder of the input method's files instead.
set(QUOR_MEMBERS_DIR "${QUOR_HOST_BUILD}/payload/members" CACHE PATH "Folder of the files packed into the payload")
set(QUOR_MEMBER_NAMES "${QUOR_HOST_BUILD}/payload/members.names" CACHE FILEPATH
    "The payload's member names in packing order, one a line")
unset(QUOR_PAYLOAD CACHE)
set(QUOR_PAYLOAD "${CMAKE_BINARY_DIR}/resources/payload.quz")

add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 NOMINMAX STRICT)

# Narrow literals of the program are GBK text; the few Big5 ones live in their own translation unit.
set(QUOR_WARNINGS -Wall -Wextra)
set(QUOR_CHARSET -finput-charset=UTF-8 -fexec-charset=GBK)

find_library(QUOR_ZLIB NAMES libz.a REQUIRED)

# Everything but WinMain lives in one static library, so that the test programs link the real code.
add_library(quorsetup STATIC)
target_include_directories(quorsetup PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(quorsetup PUBLIC ${QUOR_CHARSET} PRIVATE ${QUOR_WARNINGS})
target_link_libraries(quorsetup PUBLIC ${QUOR_ZLIB} user32 gdi32 advapi32 shell32 imm32 kernel32)

add_subdirectory(common)
add_subdirectory(platform)
add_subdirectory(archive)
add_subdirectory(deploy)
add_subdirectory(register)
add_subdirectory(detect)
add_subdirectory(settings)
add_subdirectory(install)
add_subdirectory(uninstall)
add_subdirectory(app)
add_subdirectory(resources)
add_subdirectory(tools)
add_subdirectory(bench)

if(QUOR_BUILD_TESTS)
  include(cmake/wine-tests.cmake)
  add_subdirectory(tests)
endif()
add_subdirectory(e2e)
if(QUOR_BUILD_TESTS)
  quor_write_appdefaults()
endif()
