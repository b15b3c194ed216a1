# Host tree: tools that run natively on the build machine.
enable_testing()
add_compile_options(-Wall -Wextra)

add_subdirectory(archive)
add_subdirectory(tools)
add_subdirectory(fuzz)
add_subdirectory(bench)
add_subdirectory(resources)
add_subdirectory(payload)
