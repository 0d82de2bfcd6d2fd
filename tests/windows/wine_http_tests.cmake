# The Windows HTTP client and URI parser (test_win_http.exe of the windows-x64 build) under Wine,
# against the Linux peer server on 127.0.0.1. The test has a Wine prefix of its own: the runner
# stops the prefix's Wine server when it ends, which must not end another test's program.
set(VOSTREL_WINDOWS_X64_DIR ${PROJECT_SOURCE_DIR}/build/windows-x64 CACHE PATH
  "Build folder of the windows-x64 preset")

add_executable(peer_server ${CMAKE_CURRENT_LIST_DIR}/peer_server.cpp)
target_link_libraries(peer_server PRIVATE vostrel_test_support)

add_test(NAME windows_http_under_wine
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/run_with_peer.sh $<TARGET_FILE:peer_server>
          bash ${CMAKE_CURRENT_LIST_DIR}/run_under_wine.sh ${CMAKE_BINARY_DIR}/wine-prefix-http
          ${VOSTREL_WINDOWS_X64_DIR}/tests/windows/test_win_http.exe)
set_tests_properties(windows_http_under_wine PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600)
