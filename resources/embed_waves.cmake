# Writes the module's resource table as C++ for builds without a resource
# compiler, from the resource script:
#  - every WAVE line becomes a byte array and an entry (numbered or named);
#  - every BITMAP line becomes an entry whose data the assembler takes straight
#    from the .bmp file with .incbin, less its 14-byte file header: the bitmap
#    as a Windows resource holds it (info header, palette, pixels). Nothing of
#    the artwork passes through the compiler, so it costs no build time.
# All entries go into qrEmbeddedResources.
#   cmake -DRC=<script> -DOUT=<file.cpp> -P embed_waves.cmake
get_filename_component(base ${RC} DIRECTORY)
set(bmpFileHeader 14)

set(arrays "")
set(entries "")
set(index 0)
file(STRINGS ${RC} lines REGEX "^[A-Za-z0-9_]+[ \t]+WAVE[ \t]+\"[^\"]+\"")
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

set(declarations "")
set(assembly "")
file(STRINGS ${RC} lines REGEX "^[0-9]+[ \t]+BITMAP[ \t]+\"[^\"]+\"")
foreach(line IN LISTS lines)
  string(REGEX MATCH "^([0-9]+)[ \t]+BITMAP[ \t]+\"([^\"]+)\"" _ "${line}")
  set(key ${CMAKE_MATCH_1})
  set(path ${base}/${CMAKE_MATCH_2})
  file(SIZE ${path} size)
  math(EXPR size "${size} - ${bmpFileHeader}")
  string(APPEND declarations "extern \"C\" __attribute__((visibility(\"hidden\"))) const unsigned char qrBitmap${key}[];\n")
  string(APPEND assembly "    \".hidden qrBitmap${key}\\n\"\n    \"qrBitmap${key}:\\n\"\n"
    "    \".incbin \\\"${path}\\\", ${bmpFileHeader}\\n\"\n    \".balign 4\\n\"\n")
  string(APPEND entries "    {\"BITMAP\", ${key}, nullptr, qrBitmap${key}, ${size}},\n")
  math(EXPR index "${index} + 1")
endforeach()
if(assembly)
  set(assembly "asm(\".pushsection .rodata.qr_bitmaps,\\\"a\\\"\\n\"\n    \".balign 4\\n\"\n${assembly}    \".popsection\\n\");\n")
endif()

file(WRITE ${OUT}.tmp "// Generated from ${RC}; do not edit.\n"
  "#include <cstddef>\n\n#include \"sound/platform/qrsystem.h\"\n\n"
  "namespace {\n\n${arrays}\n}  // namespace\n\n"
  "${declarations}\n${assembly}\n"
  "extern const qrsystem_resource qrEmbeddedResources[] = {\n${entries}};\n"
  "extern const std::size_t qrEmbeddedResourceCount = ${index};\n")
file(RENAME ${OUT}.tmp ${OUT})
