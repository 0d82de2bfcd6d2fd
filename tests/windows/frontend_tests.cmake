# The Win32 front end's tests, and the probe that the end-to-end run of vostrel.exe under Wine
# looks at its window with (tests/windows/wine_frontend_tests.cmake). Both exist where the front
# end is built, in the 64-bit build, whose programs alone can run here.
if(NOT TARGET vostrel_win32 OR NOT CMAKE_SIZEOF_VOID_P EQUAL 8)
  return()
endif()

add_executable(test_win32_frontend
  test_win32_dialogs.cpp
  test_win32_pictures.cpp
  test_win32_windows.cpp
  win32_gui_support.cpp
  win32_test_main.cpp
  win_loopback_server.cpp
  ${support}/recording_dialogs.cpp
  # Makes the PNG pictures the tests decode and serve.
  ${PROJECT_SOURCE_DIR}/tools/demo-service/png_writer.cpp)
target_include_directories(test_win32_frontend PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/..
  ${PROJECT_SOURCE_DIR}/tools/demo-service)
# The program's manifest, for the common controls the window is made of.
target_link_libraries(test_win32_frontend PRIVATE vostrel_win32 vostrel_windows_resources
  GTest::gtest ws2_32)

add_executable(window_probe window_probe.cpp)
target_compile_definitions(window_probe PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_options(window_probe PRIVATE -municode)
