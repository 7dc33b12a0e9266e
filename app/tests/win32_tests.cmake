# The shell with the simulator behind it, shared with the screenshot program.
if(HALYARD_TESTS AND NOT HALYARD_FUZZ)
  add_library(app_shell_test_rig STATIC shell_fixture.cpp test_views.cpp)
  halyard_test_code(app_shell_test_rig)
  target_link_libraries(app_shell_test_rig PUBLIC halyard_shell halyard_node_media halyard_sim halyard_win32_test_rig
                        settings_test_files gtest)
  target_include_directories(app_shell_test_rig PRIVATE ${HALYARD_RC_INCLUDE})
  target_compile_definitions(app_shell_test_rig PRIVATE HALYARD_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
                             HALYARD_BINARY_DIR_FALLBACK="${CMAKE_BINARY_DIR}")
endif()

# The main window, its tree and the application object in-process under
# Wine (Xvfb as display), against halyard-sim running in the same process.
halyard_test(app_win32_test DISPLAY
  SOURCES main_window_test.cpp file_list_test.cpp server_tree_test.cpp app_start_test.cpp plan_shell_test.cpp layout_shell_test.cpp wall_shell_test.cpp
          ${HALYARD_RC}
  LIBS app_shell_test_rig
  TIMEOUT 600)
if(TARGET app_win32_test)
  target_include_directories(app_win32_test PRIVATE ${HALYARD_RC_INCLUDE})
  # Source properties hold per folder: the test rebuilds the resources on the same changes.
  set_source_files_properties(${HALYARD_RC} PROPERTIES OBJECT_DEPENDS "${rc_depends}")
  target_compile_definitions(app_win32_test PRIVATE HALYARD_BINARY_DIR_FALLBACK="${CMAKE_BINARY_DIR}")
  add_dependencies(app_win32_test Halyard halyard_skins halyard_dist)
  # The scripted run records; a native step decodes what it left.
  set_tests_properties(app_win32_test PROPERTIES RESOURCE_LOCK display
                       FIXTURES_SETUP startup_recording)
  add_test(NAME app_startup_recording_probe
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/probe_recording.sh ${CMAKE_CURRENT_BINARY_DIR}/startup-recording)
  set_tests_properties(app_startup_recording_probe PROPERTIES FIXTURES_REQUIRED startup_recording TIMEOUT 60)
endif()
