include(${CMAKE_CURRENT_LIST_DIR}/../header_only.cmake)
vostrel_stage_headers(nlohmann_json::nlohmann_json nlohmann)
set(nlohmann_json_FOUND TRUE)
