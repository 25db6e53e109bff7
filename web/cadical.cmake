# CaDiCaL for the browser build: the solver's own sources compiled with the project's
# compiler, as no WebAssembly library of it is packaged. The sources are those of the
# release this machine's libcadical-dev was built from (tools/cadical_source.sh fetches
# Debian's source package), so that both builds give the same verdicts. Defines the same
# target CaDiCaL::CaDiCaL as cmake/FindCaDiCaL.cmake.
set(SPANWRIGHT_CADICAL_SOURCE "${PROJECT_BINARY_DIR}/cadical-src"
    CACHE PATH "CaDiCaL's unpacked source (fetched there when missing)")
if(NOT EXISTS "${SPANWRIGHT_CADICAL_SOURCE}/src/cadical.hpp")
  message(STATUS "Fetching CaDiCaL's source into ${SPANWRIGHT_CADICAL_SOURCE}")
  execute_process(COMMAND bash "${PROJECT_SOURCE_DIR}/tools/cadical_source.sh"
                          "${SPANWRIGHT_CADICAL_SOURCE}"
                  RESULT_VARIABLE fetched)
  if(NOT fetched EQUAL 0)
    message(FATAL_ERROR "CaDiCaL's source is missing: run tools/cadical_source.sh DIR and "
                        "configure with -DSPANWRIGHT_CADICAL_SOURCE=DIR")
  endif()
endif()

file(GLOB cadical_sources "${SPANWRIGHT_CADICAL_SOURCE}/src/*.cpp")
# The two programs' mains, not the library.
list(FILTER cadical_sources EXCLUDE REGEX "/(cadical|mobical)\\.cpp$")
file(READ "${SPANWRIGHT_CADICAL_SOURCE}/VERSION" cadical_version)
string(STRIP "${cadical_version}" cadical_version)
# What the release's own build writes from its configure run; only its version banner
# reads it.
set(cadical_generated "${PROJECT_BINARY_DIR}/cadical-build")
file(WRITE "${cadical_generated}/build.hpp.in"
     "#define VERSION \"${cadical_version}\"\n#define IDENTIFIER \"debian-source\"\n"
     "#define COMPILER \"${CMAKE_CXX_COMPILER_ID} ${CMAKE_CXX_COMPILER_VERSION}\"\n"
     "#define FLAGS \"-O2 -DNDEBUG -DQUIET\"\n#define DATE \"\"\n")
configure_file("${cadical_generated}/build.hpp.in" "${cadical_generated}/build.hpp" COPYONLY)

add_library(spanwright_cadical STATIC ${cadical_sources})
target_include_directories(spanwright_cadical PUBLIC "${SPANWRIGHT_CADICAL_SOURCE}/src"
                           PRIVATE "${cadical_generated}")
# Optimised whatever the build type, without its messages (nothing prints them here).
target_compile_options(spanwright_cadical PRIVATE -O2 -w)
target_compile_definitions(spanwright_cadical PRIVATE NDEBUG QUIET)
add_library(CaDiCaL::CaDiCaL ALIAS spanwright_cadical)
