# Test programs run under wine64 through tests/wine/run.sh, in the environment it brings up (a
# template prefix per test run, a shared prefix with a persistent wineserver, an Xvfb display).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/tests/wine/run.sh ${CMAKE_BINARY_DIR})

set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

enable_testing()

# The environment's setup and cleanup: every Wine test requires the fixture "wine", so ctest brings
# the environment up first and shuts its wineservers and Xvfb down last, also for a filtered run.
add_test(NAME wine_env_up COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/start.sh ${CMAKE_BINARY_DIR})
set_tests_properties(wine_env_up PROPERTIES FIXTURES_SETUP wine)
add_test(NAME wine_env_down COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/stop.sh ${CMAKE_BINARY_DIR})
set_tests_properties(wine_env_down PROPERTIES FIXTURES_CLEANUP wine)

set_property(GLOBAL PROPERTY QUOR_APPDEFAULTS "")

# quor_add_gtest(NAME SOURCES src... [LIBS lib...] [VARIANTS variant...] [FRESH_PREFIX])
# Builds one GoogleTest program and registers each of its cases with ctest. Each variant builds the
# same objects into NAME-VARIANT.exe, run under a Windows version (winxp64, vista, win7, win10, the
# program's AppDefaults in the test prefix) or a code page (cp950). FRESH_PREFIX runs every case in a
# pristine copy of the template prefix.
function(quor_add_gtest name)
  cmake_parse_arguments(ARG "FRESH_PREFIX" "" "SOURCES;LIBS;VARIANTS" ${ARGN})
  add_library(${name}_objects OBJECT ${ARG_SOURCES})
  target_link_libraries(${name}_objects PUBLIC quortest_support ${ARG_LIBS})
  target_compile_options(${name}_objects PRIVATE ${QUOR_WARNINGS})

  # Options for tests/wine/run.sh, in one variable: the discovery script flattens lists.
  set(options "")
  if(ARG_FRESH_PREFIX)
    list(APPEND options fresh)
  endif()

  foreach(variant IN ITEMS "" ${ARG_VARIANTS})
    if(variant STREQUAL "")
      set(target ${name})
    else()
      set(target ${name}-${variant})
    endif()
    add_executable(${target} $<TARGET_OBJECTS:${name}_objects> $<TARGET_OBJECTS:quortest_objects>)
    target_link_libraries(${target} PRIVATE ${name}_objects)
    set(variant_options ${options})
    if(variant STREQUAL "cp950")
      list(APPEND variant_options cp950)
    elseif(NOT variant STREQUAL "")
      set_property(GLOBAL APPEND PROPERTY QUOR_APPDEFAULTS "${target}.exe=${variant}")
    endif()
    list(JOIN variant_options "," variant_options)
    gtest_discover_tests(${target}
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 120
      TEST_PREFIX "${target}."
      # The verdict is GoogleTest's own line: under Wine a program that crashed may still end with
      # status 0.
      PROPERTIES FIXTURES_REQUIRED wine ENVIRONMENT "QUOR_RUN_OPTIONS=${variant_options}" TIMEOUT 120
                 PASS_REGULAR_EXPRESSION "PASSED[^0-9]+1[^0-9]test")
  endforeach()
endfunction()

# Writes the AppDefaults of every versioned test program, and the native load order of every
# stand-in program (Wine would otherwise run its own built-in program of that name); the template
# prefix imports it.
function(quor_write_appdefaults)
  get_property(entries GLOBAL PROPERTY QUOR_APPDEFAULTS)
  get_property(natives GLOBAL PROPERTY QUOR_NATIVE_PROGRAMS)
  set(text "REGEDIT4\n")
  if(natives)
    string(APPEND text "\n[HKEY_CURRENT_USER\\Software\\Wine\\DllOverrides]\n")
    list(REMOVE_DUPLICATES natives)
    foreach(program IN LISTS natives)
      string(APPEND text "\"${program}\"=\"native,builtin\"\n")
    endforeach()
  endif()
  foreach(entry IN LISTS entries)
    string(REPLACE "=" ";" pair "${entry}")
    list(GET pair 0 program)
    list(GET pair 1 version)
    string(APPEND text "\n[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\${program}]\n\"Version\"=\"${version}\"\n")
  endforeach()
  file(WRITE ${CMAKE_BINARY_DIR}/tests/appdefaults.reg "${text}")
endfunction()

# quor_prefix_program(TARGET PATH): installs a built program into the test prefixes at PATH under
# drive_c (for example windows/system32/icacls.exe). The template prefix copies tests/prefix/ of the
# build tree over drive_c when it is made, and loads the program native first, so stand-ins of system
# programs replace Wine's own there.
function(quor_prefix_program target path)
  set(destination ${CMAKE_BINARY_DIR}/tests/prefix/${path})
  get_filename_component(folder ${destination} DIRECTORY)
  get_filename_component(program ${path} NAME)
  set_property(GLOBAL APPEND PROPERTY QUOR_NATIVE_PROGRAMS ${program})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${target}> ${destination}
    VERBATIM)
endfunction()

# quor_add_host_test(NAME COMMAND...): a test that runs natively (host tools, scripts). It requires
# the fixture "wine" too: ctest's discovery of the Wine test programs brings the environment up
# whatever is selected, and the fixture's cleanup is what shuts it down again.
function(quor_add_host_test name)
  add_test(NAME ${name} COMMAND ${ARGN})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300)
endfunction()
