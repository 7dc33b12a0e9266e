# Windows builds are static so each .exe runs alone on a plain Windows and under Wine.
if(WIN32)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 UNICODE _UNICODE)
  add_link_options(-static -static-libgcc -static-libstdc++)
  # Two resources of one type and number in the .rc files of one program are
  # only a warning to the linker, which keeps one of them: a view once came up
  # with the Event Log's dialog template. Every linker warning fails the build.
  add_link_options(-Wl,--fatal-warnings)
endif()
