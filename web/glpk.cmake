# GLPK for the web page: Debian's source of the version its libglpk-dev package installs,
# downloaded into the build folder by apt (checked against the hash of the version this list of
# files was made for) and compiled with emscripten.
#
# Only the files our calls need (the simplex method and what it reaches): found by linking them,
# a third of the library's own build. They are compiled once, for shared memory, by the planner
# with threads (the web-threads preset, which `make web` builds first), as the static library
# glpk_common; the one-thread planner links that same library from the threads build (code built
# for shared memory links into a module without it). The files that hold thread-local storage
# (GLPK's environment, its own copies of the C library's static buffers) are compiled by each
# planner for itself.
#
# Each emscripten compile costs a good part of a second of its own, whatever the file: the
# files are compiled in batches, one compile each. A batch holds files that compile together,
# none of them defining a macro that another one names: the files of one folder often share the
# names of their own helpers, and are spread over batches.
set(OSTREL_GLPK_BATCHES
  "api/advbas.c api/prob1.c api/prob2.c api/prob4.c api/prob5.c api/wrmip.c bflib/btf.c
   bflib/btfint.c bflib/fhv.c bflib/fhvint.c bflib/luf.c bflib/lufint.c bflib/scf.c bflib/scfint.c
   bflib/sva.c draft/bfd.c draft/glpapi06.c draft/glpapi09.c draft/glpapi10.c draft/glpapi12.c
   draft/glpapi13.c draft/glpios01.c draft/glpios02.c draft/glpios03.c"
  "bflib/ifu.c draft/glpios09.c draft/glpios11.c draft/glpios12.c draft/glpscl.c env/alloc.c
   env/dlsup.c env/env.c env/error.c env/stdout.c env/time.c intopt/cfg.c intopt/cfg2.c
   intopt/clqcut.c intopt/spv.c misc/dmp.c misc/fvs.c misc/gcd.c misc/jd.c misc/mc13d.c
   misc/mc21a.c misc/mt1.c misc/rng1.c misc/triang.c"
  "bflib/sgf.c zlib/zio.c"
  "env/stream.c intopt/cfg1.c intopt/mirgen.c misc/avl.c misc/round2n.c npp/npp1.c npp/npp2.c
   npp/npp3.c npp/npp4.c npp/npp5.c proxy/proxy1.c simplex/spxat.c simplex/spxchuzc.c
   simplex/spxlp.c simplex/spxnt.c simplex/spxprob.c simplex/spychuzr.c zlib/adler32.c
   zlib/gzclose.c zlib/inftrees.c"
  "intopt/covgen.c intopt/fpump.c zlib/deflate.c zlib/gzlib.c"
  "intopt/gmicut.c misc/ks.c simplex/spxprim.c zlib/crc32.c"
  "intopt/gmigen.c simplex/spydual.c zlib/inffast.c zlib/zutil.c"
  "misc/rng.c"
  "misc/wclique.c"
  "misc/wclique1.c proxy/proxy.c zlib/inflate.c"
  "simplex/spxchuzr.c zlib/trees.c"
  "simplex/spychuzc.c"
  "zlib/gzread.c zlib/gzwrite.c"
)
set(OSTREL_GLPK_COMMON_FILES)
foreach(batch IN LISTS OSTREL_GLPK_BATCHES)
  separate_arguments(files UNIX_COMMAND "${batch}")
  list(APPEND OSTREL_GLPK_COMMON_FILES ${files})
endforeach()
set(OSTREL_GLPK_TLS_FILES env/tls.c env/stdc.c)

enable_language(C)
if(OSTREL_WEB_THREADS)
  # Downloaded once per build folder with apt (web/glpk_source.sh); the hash pins the version
  # whose files the batches above list.
  set(OSTREL_GLPK_DOWNLOAD ${CMAKE_BINARY_DIR}/glpk-download)
  file(GLOB OSTREL_GLPK_ARCHIVE ${OSTREL_GLPK_DOWNLOAD}/glpk_*.orig.tar.gz)
  if(NOT OSTREL_GLPK_ARCHIVE)
    execute_process(COMMAND ${CMAKE_CURRENT_LIST_DIR}/glpk_source.sh ${OSTREL_GLPK_DOWNLOAD}
                    RESULT_VARIABLE OSTREL_GLPK_FETCHED)
    if(NOT OSTREL_GLPK_FETCHED EQUAL 0)
      message(FATAL_ERROR "Debian's source of GLPK could not be downloaded with apt-get source")
    endif()
    file(GLOB OSTREL_GLPK_ARCHIVE ${OSTREL_GLPK_DOWNLOAD}/glpk_*.orig.tar.gz)
  endif()
  include(FetchContent)
  FetchContent_Declare(glpk_source
    URL ${OSTREL_GLPK_ARCHIVE}
    URL_HASH SHA256=4a1013eebb50f728fc601bdd833b0b2870333c3b3e5a816eeba921d95bec6f15
    DOWNLOAD_EXTRACT_TIMESTAMP ON)
  FetchContent_MakeAvailable(glpk_source)
  set(OSTREL_GLPK_SOURCE ${glpk_source_SOURCE_DIR}/src)
else()
  set(OSTREL_GLPK_SOURCE ${OSTREL_WEB_THREADS_DIR}/_deps/glpk_source-src/src)
  if(NOT EXISTS ${OSTREL_WEB_THREADS_DIR}/libglpk_common.a)
    message(FATAL_ERROR "GLPK's library is built by the planner with threads: use `make web`, "
                        "which builds the web-threads preset first")
  endif()
endif()

# Its configuration: the environment in thread-local storage, as Debian's build has it, so that
# each thread of the page's planner has its own.
# Written only when it changes, so that configuring again does not rebuild the library.
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/glpk-config/config.h CONTENT "#define TLS _Thread_local\n")
file(GLOB OSTREL_GLPK_FOLDERS LIST_DIRECTORIES true ${OSTREL_GLPK_SOURCE}/*)
list(FILTER OSTREL_GLPK_FOLDERS EXCLUDE REGEX "\\.[a-z]+$")

# Compiled as its own build compiles it, with its folders on the include path. Not our code: its
# warnings are not ours to mend.
function(ostrel_glpk_library name)
  set_target_properties(${name} PROPERTIES UNITY_BUILD OFF C_STANDARD 99)
  target_compile_definitions(${name} PRIVATE HAVE_CONFIG_H)
  target_include_directories(${name} PRIVATE ${CMAKE_BINARY_DIR}/glpk-config ${OSTREL_GLPK_SOURCE}
                                             ${OSTREL_GLPK_FOLDERS})
  target_compile_options(${name} PRIVATE -w -O2)
  if(OSTREL_WEB_THREADS)
    target_compile_options(${name} PRIVATE -pthread)
  endif()
endfunction()

if(OSTREL_WEB_THREADS)
  list(TRANSFORM OSTREL_GLPK_COMMON_FILES PREPEND ${OSTREL_GLPK_SOURCE}/)
  add_library(glpk_common STATIC ${OSTREL_GLPK_COMMON_FILES})
  set_target_properties(glpk_common PROPERTIES ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  ostrel_glpk_library(glpk_common)
  set_target_properties(glpk_common PROPERTIES UNITY_BUILD ON UNITY_BUILD_MODE GROUP)
  set(number 0)
  foreach(batch IN LISTS OSTREL_GLPK_BATCHES)
    math(EXPR number "${number} + 1")
    separate_arguments(files UNIX_COMMAND "${batch}")
    list(TRANSFORM files PREPEND ${OSTREL_GLPK_SOURCE}/)
    set_source_files_properties(${files} PROPERTIES UNITY_GROUP glpk_${number})
  endforeach()
else()
  add_library(glpk_common STATIC IMPORTED)
  set_target_properties(glpk_common PROPERTIES
                        IMPORTED_LOCATION ${OSTREL_WEB_THREADS_DIR}/libglpk_common.a)
endif()
list(TRANSFORM OSTREL_GLPK_TLS_FILES PREPEND ${OSTREL_GLPK_SOURCE}/)
add_library(glpk_tls STATIC ${OSTREL_GLPK_TLS_FILES})
ostrel_glpk_library(glpk_tls)

# The library as our code links it: the common files first, as they call into the others.
add_library(glpk INTERFACE)
target_link_libraries(glpk INTERFACE glpk_common glpk_tls)
target_include_directories(glpk SYSTEM INTERFACE ${OSTREL_GLPK_SOURCE})
