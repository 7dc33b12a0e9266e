# Recorded playback: the player that decodes what the playback clock names
# for the Recordings window's views; included by CMakeLists.txt.
add_library(halyard_node_playback STATIC ${CMAKE_CURRENT_LIST_DIR}/recording_player.cpp)
target_link_libraries(halyard_node_playback PUBLIC halyard_recordings halyard_video_decoder halyard_audio halyard_os)
if(NOT WIN32)
  find_package(Threads REQUIRED)
  target_link_libraries(halyard_node_playback PUBLIC Threads::Threads)
endif()
add_subdirectory(${CMAKE_CURRENT_LIST_DIR}/tests/player ${CMAKE_CURRENT_BINARY_DIR}/tests/player)
