add_library(halyard_node_link STATIC
  ${CMAKE_CURRENT_LIST_DIR}/node_window.cpp ${CMAKE_CURRENT_LIST_DIR}/node_connect.cpp
  ${CMAKE_CURRENT_LIST_DIR}/node_parse.cpp ${CMAKE_CURRENT_LIST_DIR}/camera_control.cpp
  ${CMAKE_CURRENT_LIST_DIR}/link_events.cpp
  ${CMAKE_CURRENT_LIST_DIR}/stall_watchdog.cpp)
target_link_libraries(halyard_node_link PUBLIC halyard_hosting halyard_net halyard_log halyard_events)
add_subdirectory(${CMAKE_CURRENT_LIST_DIR}/tests/link)
