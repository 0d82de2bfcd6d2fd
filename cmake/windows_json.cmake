# nlohmann/json is header-only, but the Debian package lives in /usr/include, which a cross build must
# not search (it holds the Linux C library's headers). A folder in the build tree that holds only a
# link to the json headers stands in for the package.
set(VOSTREL_JSON_HEADERS /usr/include/nlohmann CACHE PATH "The nlohmann/json header folder")
if(NOT EXISTS ${VOSTREL_JSON_HEADERS}/json.hpp)
  message(FATAL_ERROR "nlohmann/json not found in ${VOSTREL_JSON_HEADERS} (apt-get install nlohmann-json3-dev)")
endif()
set(VOSTREL_JSON_INCLUDE ${CMAKE_BINARY_DIR}/json-include)
file(MAKE_DIRECTORY ${VOSTREL_JSON_INCLUDE})
file(CREATE_LINK ${VOSTREL_JSON_HEADERS} ${VOSTREL_JSON_INCLUDE}/nlohmann SYMBOLIC)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES ${VOSTREL_JSON_INCLUDE})
