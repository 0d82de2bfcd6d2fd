# Tests of the Windows builds, run by the Linux build: the Windows layer's tests and the core's unit
# tests under Wine, and the headers of the programs of both Windows builds. 32-bit programs cannot run under the
# 64-bit Wine installed here, so the 32-bit build is checked but not run. The Windows builds come
# first (scripts/test.sh); a test whose program has not been built is skipped.
set(VOSTREL_WINDOWS_X64_DIR ${PROJECT_SOURCE_DIR}/build/windows-x64 CACHE PATH
  "Build folder of the windows-x64 preset")
set(VOSTREL_WINDOWS_X86_DIR ${PROJECT_SOURCE_DIR}/build/windows-x86 CACHE PATH
  "Build folder of the windows-x86 preset")
# Programs of the Windows builds, relative to their build folders.
set(VOSTREL_WINDOWS_PROGRAMS tests/windows/test_windows_layer.exe)

set(VOSTREL_WINE_RUNNER ${CMAKE_CURRENT_LIST_DIR}/run_under_wine.sh)

# vostrel_add_wine_test(NAME PROGRAM): PROGRAM of the windows-x64 build, run under Wine. Such tests
# share one Wine prefix, and the runner stops the prefix's Wine server when it ends: one at a time.
function(vostrel_add_wine_test name program)
  add_test(NAME ${name}
    COMMAND bash ${VOSTREL_WINE_RUNNER} ${CMAKE_BINARY_DIR}/wine-prefix
            ${VOSTREL_WINDOWS_X64_DIR}/${program})
  set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600
    RESOURCE_LOCK vostrel_wine_prefix)
endfunction()

vostrel_add_wine_test(windows_layer_under_wine tests/windows/test_windows_layer.exe)
vostrel_add_wine_test(windows_core_under_wine tests/windows/test_core_on_windows.exe)

foreach(program ${VOSTREL_WINDOWS_PROGRAMS})
  get_filename_component(name ${program} NAME_WE)
  add_test(NAME windows_x64_${name}_is_pe32plus
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/check_windows_exe.sh x86_64-w64-mingw32-objdump
            ${VOSTREL_WINDOWS_X64_DIR}/${program} PE32+)
  add_test(NAME windows_x86_${name}_is_pe32
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/check_windows_exe.sh i686-w64-mingw32-objdump
            ${VOSTREL_WINDOWS_X86_DIR}/${program} PE32)
  set_tests_properties(windows_x64_${name}_is_pe32plus windows_x86_${name}_is_pe32
    PROPERTIES SKIP_RETURN_CODE 77)
endforeach()
