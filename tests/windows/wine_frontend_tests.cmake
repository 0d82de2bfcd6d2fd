# The Win32 front end under Wine, run by the Linux build: its test program (test_win32_frontend.exe)
# and vostrel.exe itself against the demo service, both of the windows-x64 build. They make
# windows, so their runners put them on a virtual display (xvfb-run) when there is none. Each has a
# Wine prefix of its own: a runner stops its prefix's Wine server when it ends. The headers of
# both builds' vostrel.exe are checked; 32-bit programs cannot run here.
set(VOSTREL_WINDOWS_X64_DIR ${PROJECT_SOURCE_DIR}/build/windows-x64 CACHE PATH
  "Build folder of the windows-x64 preset")
set(VOSTREL_WINDOWS_X86_DIR ${PROJECT_SOURCE_DIR}/build/windows-x86 CACHE PATH
  "Build folder of the windows-x86 preset")

add_test(NAME windows_frontend_under_wine
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/run_gui_under_wine.sh ${CMAKE_BINARY_DIR}/wine-prefix-gui
          ${VOSTREL_WINDOWS_X64_DIR}/tests/windows/test_win32_frontend.exe)
set_tests_properties(windows_frontend_under_wine PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600)

if(TARGET vostrel-demo-service)
  # The screenshot lands in the build folder; docs/connection-window-windows.png is one of them.
  add_test(NAME windows_vostrel_under_wine
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/run_vostrel_under_wine.sh
            $<TARGET_FILE:vostrel-demo-service>
            ${VOSTREL_WINDOWS_X64_DIR}/frontend/win32/vostrel.exe
            ${VOSTREL_WINDOWS_X64_DIR}/tests/windows/window_probe.exe
            ${CMAKE_BINARY_DIR}/wine-prefix-vostrel
            ${CMAKE_BINARY_DIR}/connection-window-windows.png)
  set_tests_properties(windows_vostrel_under_wine PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600)
endif()

add_test(NAME windows_x64_vostrel_is_pe32plus_gui
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/check_windows_gui_exe.sh x86_64-w64-mingw32-objdump
          ${VOSTREL_WINDOWS_X64_DIR}/frontend/win32/vostrel.exe PE32+)
add_test(NAME windows_x86_vostrel_is_pe32_gui
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/check_windows_gui_exe.sh i686-w64-mingw32-objdump
          ${VOSTREL_WINDOWS_X86_DIR}/frontend/win32/vostrel.exe PE32)
set_tests_properties(windows_x64_vostrel_is_pe32plus_gui windows_x86_vostrel_is_pe32_gui
  PROPERTIES SKIP_RETURN_CODE 77)
