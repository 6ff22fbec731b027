# The module's resources. Windows: the resource script compiled by windres
# into the DLL. Elsewhere: the same script's WAVE and BITMAP lines embedded in
# a table that the module registers with qrsystem, the substitute host's
# module-resource registry, when it is loaded
# (the bitmaps through the assembler's .incbin, see embed_waves.cmake).
set(QR_RESOURCE_SCRIPT ${CMAKE_SOURCE_DIR}/resources/QR417_Instr.rc)
file(GLOB QR_WAVE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/waves/*.wav)
file(GLOB QR_BITMAP_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/bitmaps/*.bmp)

if(WIN32)
  enable_language(RC)
  set_source_files_properties(${QR_RESOURCE_SCRIPT} PROPERTIES
    OBJECT_DEPENDS "${QR_WAVE_FILES};${QR_BITMAP_FILES}")
  set(QR_RESOURCE_SOURCES ${QR_RESOURCE_SCRIPT})
  # windres finds the wave and bitmap files beside the script.
  set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_SOURCE_DIR}/resources")
else()
  set(QR_EMBEDDED_RESOURCES ${CMAKE_BINARY_DIR}/generated/embedded_resources.cpp)
  add_custom_command(OUTPUT ${QR_EMBEDDED_RESOURCES}
    COMMAND ${CMAKE_COMMAND} -DRC=${QR_RESOURCE_SCRIPT} -DOUT=${QR_EMBEDDED_RESOURCES}
            -P ${CMAKE_SOURCE_DIR}/resources/embed_waves.cmake
    DEPENDS ${QR_RESOURCE_SCRIPT} ${QR_WAVE_FILES} ${QR_BITMAP_FILES}
            ${CMAKE_SOURCE_DIR}/resources/embed_waves.cmake
    COMMENT "Embedding wave and bitmap resources"
    VERBATIM)
  # The compiler's dependency list misses files that .incbin reads.
  set_source_files_properties(${QR_EMBEDDED_RESOURCES} PROPERTIES
    OBJECT_DEPENDS "${QR_BITMAP_FILES}")
  set(QR_RESOURCE_SOURCES ${QR_EMBEDDED_RESOURCES})
endif()
