# The gauge module: every source of module/, gauges/ and sound/ compiled once,
# then linked as the loadable module (exports only ImportTable and Linkage)
# and as a static library for unit tests.
file(GLOB QR_MODULE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/module/*.cpp)
file(GLOB_RECURSE QR_GAUGE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/gauges/*.cpp)
file(GLOB QR_SOUND_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/sound/*.cpp)
if(WIN32)
  file(GLOB QR_SOUND_BACKEND CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/sound/directsound/*.cpp)
else()
  file(GLOB QR_SOUND_BACKEND CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/sound/portable/*.cpp)
endif()

# The system the module runs on: DirectSound, the multimedia file routines,
# window and resource lookup on Windows. Elsewhere the substitute host's
# stand-ins, each shared by the module and the host: qraudio, the audio
# library, and qrsystem, the registries of windows and of the loaded modules'
# resources (waves and bitmaps).
if(WIN32)
  set(QR_WINDOWS_LIBS dsound winmm)
else()
  foreach(library qraudio qrsystem)
    add_library(${library} SHARED ${CMAKE_SOURCE_DIR}/sound/platform/${library}.cpp)
    target_include_directories(${library} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${library} PRIVATE ${CMAKE_DL_LIBS})
    set_target_properties(${library} PROPERTIES CXX_VISIBILITY_PRESET hidden)
  endforeach()
  set(QR_NATIVE_LIBS qraudio qrsystem)
endif()

add_library(qr417_objects OBJECT
  ${QR_MODULE_SOURCES} ${QR_GAUGE_SOURCES} ${QR_SOUND_SOURCES} ${QR_SOUND_BACKEND})
target_include_directories(qr417_objects PUBLIC ${CMAKE_SOURCE_DIR})
set_target_properties(qr417_objects PROPERTIES
  CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)

# Resources (waves, bitmaps, version) are attached by resources/Resources.cmake
# when present.
if(EXISTS ${CMAKE_SOURCE_DIR}/resources/Resources.cmake)
  include(${CMAKE_SOURCE_DIR}/resources/Resources.cmake)
endif()

add_library(QR417_Instr SHARED $<TARGET_OBJECTS:qr417_objects> ${QR_RESOURCE_SOURCES})
target_include_directories(QR417_Instr PUBLIC ${CMAKE_SOURCE_DIR})
if(WIN32)
  set_target_properties(QR417_Instr PROPERTIES PREFIX "" SUFFIX ".gau" OUTPUT_NAME QR417_Instr)
  # No link time in the file's headers: the same sources give the same bytes.
  target_link_options(QR417_Instr PRIVATE -static-libgcc -static-libstdc++ -static
    -Wl,--exclude-all-symbols -Wl,--no-insert-timestamp)
  target_link_libraries(QR417_Instr PRIVATE ${QR_WINDOWS_LIBS})
  # The simulator loads and unloads gauge modules as aircraft change, so the
  # module must give back at unload all it took at load. The static threading
  # library of the POSIX-threads runtime takes a thread-local slot at every
  # load and never frees it: after about a thousand loads the process has none
  # left and dies. The module starts no thread and takes no lock, so it links
  # the C++ runtime built for Windows threads (libstdc++, libgcc), which takes
  # nothing at load, and -no-pthread leaves the threading library out: a use
  # of it would fail the link instead of coming back. (That runtime takes a
  # slot the first time an exception is thrown, and the module throws none.)
  if(QR_MODULE_RUNTIME_COMPILER)
    execute_process(COMMAND ${QR_MODULE_RUNTIME_COMPILER} -print-libgcc-file-name
      OUTPUT_VARIABLE QR_MODULE_LIBGCC OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE found)
    if(NOT found EQUAL 0 OR NOT EXISTS "${QR_MODULE_LIBGCC}")
      message(FATAL_ERROR "${QR_MODULE_RUNTIME_COMPILER} not found: the module needs the "
        "Windows-threads C++ runtime (Debian: g++-mingw-w64-i686-win32)")
    endif()
    get_filename_component(QR_MODULE_RUNTIME_DIR ${QR_MODULE_LIBGCC} DIRECTORY)
    # Searched before the compiler's own runtime folder.
    target_link_options(QR417_Instr PRIVATE -L${QR_MODULE_RUNTIME_DIR})
  endif()
  target_link_options(QR417_Instr PRIVATE -no-pthread)
else()
  set_target_properties(QR417_Instr PROPERTIES PREFIX "" SUFFIX ".so" OUTPUT_NAME QR417_Instr)
  target_link_options(QR417_Instr PRIVATE
    -Wl,--version-script=${CMAKE_SOURCE_DIR}/cmake/exports.map -Wl,--no-undefined)
  target_link_libraries(QR417_Instr PRIVATE ${QR_NATIVE_LIBS})
endif()

if(WIN32)
  # Resources reach an executable only from objects it links directly, so each
  # program using the static library compiles the resource script itself.
  add_library(qr417_static STATIC $<TARGET_OBJECTS:qr417_objects>)
  target_sources(qr417_static INTERFACE ${QR_RESOURCE_SOURCES})
  target_link_libraries(qr417_static PUBLIC ${QR_WINDOWS_LIBS})
else()
  add_library(qr417_static STATIC $<TARGET_OBJECTS:qr417_objects> ${QR_RESOURCE_SOURCES})
  target_link_libraries(qr417_static PUBLIC ${QR_NATIVE_LIBS})
endif()
target_include_directories(qr417_static PUBLIC ${CMAKE_SOURCE_DIR})

# Windows test programs (run under Wine by scripts/windows-tests).
option(QR_WINDOWS_TESTS "Build the Windows test programs" OFF)
if(WIN32 AND QR_WINDOWS_TESTS)
  add_subdirectory(${CMAKE_SOURCE_DIR}/tests/windows ${CMAKE_BINARY_DIR}/tests-windows)
endif()
