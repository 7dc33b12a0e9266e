# MPEG-4 / H.263 video decoder.
set(video_decoder_dir ${CMAKE_CURRENT_LIST_DIR})
add_library(halyard_video_decoder STATIC
  ${video_decoder_dir}/video_decoder.cpp
  ${video_decoder_dir}/bitstream/vlc_tables.cpp
  ${video_decoder_dir}/bitstream/rvlc_table.cpp
  ${video_decoder_dir}/headers/stream_headers.cpp
  ${video_decoder_dir}/headers/picture_headers.cpp
  ${video_decoder_dir}/headers/vol_header.cpp
  ${video_decoder_dir}/macroblock/scan_tables.cpp
  ${video_decoder_dir}/macroblock/mb_syntax.cpp
  ${video_decoder_dir}/macroblock/reversible_coefficients.cpp
  ${video_decoder_dir}/macroblock/intra_blocks.cpp
  ${video_decoder_dir}/macroblock/inter_blocks.cpp
  ${video_decoder_dir}/macroblock/picture_loops.cpp
  ${video_decoder_dir}/macroblock/partitioned_loop.cpp
  ${video_decoder_dir}/macroblock/gob_loop.cpp
  ${video_decoder_dir}/kernels/idct_plain.cpp
  ${video_decoder_dir}/kernels/plain_kernels.cpp
  ${video_decoder_dir}/kernels/x86/sse2_kernels.cpp
  ${video_decoder_dir}/kernels/x86/idct_sse2.cpp
  ${video_decoder_dir}/postfilter/post_filter.cpp
  ${video_decoder_dir}/postfilter/post_filter_sse2.cpp)
target_link_libraries(halyard_video_decoder PUBLIC halyard_os)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "i[3-6]86|x86|X86|x86_64|AMD64|amd64")
  set_source_files_properties(${video_decoder_dir}/kernels/x86/sse2_kernels.cpp
                              ${video_decoder_dir}/kernels/x86/idct_sse2.cpp
                              ${video_decoder_dir}/postfilter/post_filter_sse2.cpp
                              PROPERTIES COMPILE_OPTIONS "-msse2")
endif()

add_subdirectory(${video_decoder_dir}/tests ${CMAKE_CURRENT_BINARY_DIR}/decoder_tests)
add_subdirectory(${video_decoder_dir}/fuzz ${CMAKE_CURRENT_BINARY_DIR}/decoder_fuzz)

# Coverage feedback for the fuzzer reaches into the decoder itself.
if(HALYARD_FUZZ)
  target_compile_options(halyard_video_decoder PRIVATE -fsanitize=fuzzer-no-link)
endif()
