# Writes INPUT's bytes as the array behind the embedded "VersionInfo" resource.
file(READ ${INPUT} hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
file(WRITE ${OUTPUT}
  "// Generated from versioninfo.json; do not edit.\n"
  "#include <cstddef>\n"
  "extern const unsigned char kVersionInfoResource[] = {${bytes}};\n"
  "extern const std::size_t kVersionInfoResourceSize = ${size};\n")
