# The node's media path (rings, hand-off, media worker, statistics), the
# decoder fault guard and the recording control; included by CMakeLists.txt.
add_library(halyard_node_media STATIC
  ${CMAKE_CURRENT_LIST_DIR}/media_ring.cpp
  ${CMAKE_CURRENT_LIST_DIR}/media_path.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sound_source.cpp
  ${CMAKE_CURRENT_LIST_DIR}/picture_timing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/media_fault.cpp
  ${CMAKE_CURRENT_LIST_DIR}/node_recorder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/motion_detector.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pre_roll.cpp
  ${CMAKE_CURRENT_LIST_DIR}/motion_recorder.cpp)
target_link_libraries(halyard_node_media PUBLIC halyard_video_decoder halyard_audio
                      halyard_video_encoder halyard_record halyard_net halyard_log halyard_os halyard_events)
if(NOT WIN32)
  find_package(Threads REQUIRED)
  target_link_libraries(halyard_node_media PUBLIC Threads::Threads)
endif()

add_subdirectory(${CMAKE_CURRENT_LIST_DIR}/tests/media ${CMAKE_CURRENT_BINARY_DIR}/tests/media)

# Recording plans and retention, on top of the recorders.
add_subdirectory(${CMAKE_CURRENT_LIST_DIR}/storage ${CMAKE_CURRENT_BINARY_DIR}/storage)
