# Sources of the skin tools, relative to the source root. The main build and
# the host build inside a cross build (tools/skinpack/host) both use them.
set(SKIN_FORMAT_SOURCES
  skin/byte_source.cpp skin/skin_file_reader.cpp skin/skin_file_writer.cpp skin/bmp_reader.cpp)
set(SKINPACK_CORE_SOURCES tools/skinpack/layout.cpp tools/skinpack/pack.cpp)
set(SKINART_SOURCES tools/skinart/main.cpp tools/skinart/canvas.cpp tools/skinart/artwork.cpp)
