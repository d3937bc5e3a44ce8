# GLPK for the web page: Debian's source of the version its libglpk-dev package installs, fetched
# into the build folder (checked against the hash in Debian's description of the package) and
# compiled with emscripten as a static library `glpk`, the files of its own library build alone.
include(FetchContent)
FetchContent_Declare(glpk_source
  URL http://deb.debian.org/debian/pool/main/g/glpk/glpk_5.0.orig.tar.gz
  URL_HASH SHA256=4a1013eebb50f728fc601bdd833b0b2870333c3b3e5a816eeba921d95bec6f15
  DOWNLOAD_EXTRACT_TIMESTAMP ON)
FetchContent_MakeAvailable(glpk_source)
set(OSTREL_GLPK_SOURCE ${glpk_source_SOURCE_DIR}/src)

enable_language(C)
# The library's sources are those its Makefile.am builds into libglpk.
file(READ ${OSTREL_GLPK_SOURCE}/Makefile.am OSTREL_GLPK_MAKEFILE)
string(REGEX MATCH "libglpk_la_SOURCES = [^\n]*(\n[^\n]+)*" OSTREL_GLPK_SOURCES "${OSTREL_GLPK_MAKEFILE}")
string(REGEX MATCHALL "[a-z0-9_]+/[a-z0-9_]+\\.c" OSTREL_GLPK_SOURCES "${OSTREL_GLPK_SOURCES}")
list(TRANSFORM OSTREL_GLPK_SOURCES PREPEND ${OSTREL_GLPK_SOURCE}/)
list(LENGTH OSTREL_GLPK_SOURCES OSTREL_GLPK_SOURCE_COUNT)
if(OSTREL_GLPK_SOURCE_COUNT LESS 100)
  message(FATAL_ERROR "GLPK's library sources were not found in ${OSTREL_GLPK_SOURCE}/Makefile.am")
endif()

# Its configuration: the environment in thread-local storage, as Debian's build has it, so that
# each thread of the page's planner has its own.
# Written only when it changes, so that configuring again does not rebuild the library.
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/glpk-config/config.h CONTENT "#define TLS _Thread_local\n")

add_library(glpk STATIC ${OSTREL_GLPK_SOURCES})
set_target_properties(glpk PROPERTIES UNITY_BUILD OFF C_STANDARD 99)
target_compile_definitions(glpk PRIVATE HAVE_CONFIG_H)
file(GLOB OSTREL_GLPK_FOLDERS LIST_DIRECTORIES true ${OSTREL_GLPK_SOURCE}/*)
list(FILTER OSTREL_GLPK_FOLDERS EXCLUDE REGEX "\\.[a-z]+$")
target_include_directories(glpk PRIVATE ${CMAKE_BINARY_DIR}/glpk-config ${OSTREL_GLPK_FOLDERS})
target_include_directories(glpk SYSTEM PUBLIC ${OSTREL_GLPK_SOURCE})
# Not our code: its warnings are not ours to mend.
target_compile_options(glpk PRIVATE -w -O2)
if(OSTREL_WEB_THREADS)
  target_compile_options(glpk PRIVATE -pthread)
endif()
