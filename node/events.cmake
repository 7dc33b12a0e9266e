# The event log and its daily file, and the alert policy: portable, below
# every user of them (the views' nodes, the main window, the command line);
# included by CMakeLists.txt.
add_library(halyard_events STATIC ${CMAKE_CURRENT_LIST_DIR}/event_log.cpp ${CMAKE_CURRENT_LIST_DIR}/event_file.cpp
            ${CMAKE_CURRENT_LIST_DIR}/alert_policy.cpp)
target_link_libraries(halyard_events PUBLIC halyard_os)
add_subdirectory(${CMAKE_CURRENT_LIST_DIR}/tests/events ${CMAKE_CURRENT_BINARY_DIR}/tests/events)
