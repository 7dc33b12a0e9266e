# Windows builds are static so each .exe runs alone on a plain Windows and under Wine.
if(WIN32)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 UNICODE _UNICODE)
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()
