# Every program's --version: one header made from the project's version.
configure_file(${CMAKE_CURRENT_LIST_DIR}/pellumo_version.h.in ${PROJECT_BINARY_DIR}/generated/pellumo_version.h @ONLY)
add_library(pellumo_version INTERFACE)
target_include_directories(pellumo_version INTERFACE ${PROJECT_BINARY_DIR}/generated)
