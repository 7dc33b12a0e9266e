# The stream header writer (VideoEncoder) and its bit writer; included by this
# folder's CMakeLists.txt.
add_library(halyard_video_encoder STATIC
  ${CMAKE_CURRENT_LIST_DIR}/bit_writer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/video_encoder.cpp)

add_subdirectory(${CMAKE_CURRENT_LIST_DIR}/tests/encoder ${CMAKE_CURRENT_BINARY_DIR}/tests/encoder)
