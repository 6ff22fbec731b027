# Writes the module's resource table as C++ for builds without a resource
# compiler: every WAVE line of the resource script becomes a byte array and
# an entry (numbered or named) of qrEmbeddedResources.
#   cmake -DRC=<script> -DOUT=<file.cpp> -P embed_waves.cmake
get_filename_component(base ${RC} DIRECTORY)
file(STRINGS ${RC} lines REGEX "^[A-Za-z0-9_]+[ \t]+WAVE[ \t]+\"[^\"]+\"")

set(arrays "")
set(entries "")
set(index 0)
foreach(line IN LISTS lines)
  string(REGEX MATCH "^([A-Za-z0-9_]+)[ \t]+WAVE[ \t]+\"([^\"]+)\"" _ "${line}")
  set(key ${CMAKE_MATCH_1})
  set(path ${base}/${CMAKE_MATCH_2})
  file(READ ${path} hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "((0x..,){24})" "\\1\n    " bytes "${bytes}")
  string(APPEND arrays "alignas(4) const unsigned char wave${index}[${size}] = {\n    ${bytes}\n};\n")
  if(key MATCHES "^[0-9]+$")
    string(APPEND entries "    {\"WAVE\", ${key}, nullptr, wave${index}, sizeof wave${index}},\n")
  else()
    string(APPEND entries "    {\"WAVE\", 0, \"${key}\", wave${index}, sizeof wave${index}},\n")
  endif()
  math(EXPR index "${index} + 1")
endforeach()

file(WRITE ${OUT}.tmp "// Generated from ${RC}; do not edit.\n"
  "#include <cstddef>\n\n#include \"sound/platform/qraudio.h\"\n\n"
  "namespace {\n\n${arrays}\n}  // namespace\n\n"
  "extern const qraudio_resource qrEmbeddedResources[] = {\n${entries}};\n"
  "extern const std::size_t qrEmbeddedResourceCount = ${index};\n")
file(RENAME ${OUT}.tmp ${OUT})
