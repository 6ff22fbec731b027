# The module's resources. Windows: the resource script compiled by windres
# into the DLL. Elsewhere: the same script's WAVE lines embedded as arrays
# that the module registers with the audio library when it is loaded.
set(QR_RESOURCE_SCRIPT ${CMAKE_SOURCE_DIR}/resources/QR417_Instr.rc)
file(GLOB QR_WAVE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/waves/*.wav)

if(WIN32)
  enable_language(RC)
  set_source_files_properties(${QR_RESOURCE_SCRIPT} PROPERTIES
    OBJECT_DEPENDS "${QR_WAVE_FILES}")
  set(QR_RESOURCE_SOURCES ${QR_RESOURCE_SCRIPT})
  # windres finds the wave files beside the script.
  set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_SOURCE_DIR}/resources")
else()
  set(QR_EMBEDDED_RESOURCES ${CMAKE_BINARY_DIR}/generated/embedded_resources.cpp)
  add_custom_command(OUTPUT ${QR_EMBEDDED_RESOURCES}
    COMMAND ${CMAKE_COMMAND} -DRC=${QR_RESOURCE_SCRIPT} -DOUT=${QR_EMBEDDED_RESOURCES}
            -P ${CMAKE_SOURCE_DIR}/resources/embed_waves.cmake
    DEPENDS ${QR_RESOURCE_SCRIPT} ${QR_WAVE_FILES} ${CMAKE_SOURCE_DIR}/resources/embed_waves.cmake
    COMMENT "Embedding wave resources"
    VERBATIM)
  set(QR_RESOURCE_SOURCES ${QR_EMBEDDED_RESOURCES})
endif()
