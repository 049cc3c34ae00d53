include(${CMAKE_CURRENT_LIST_DIR}/../header_only.cmake)
vostrel_stage_headers(CLI11::CLI11 CLI)
set(CLI11_FOUND TRUE)
