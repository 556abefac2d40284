# Small helpers shared by every folder's CMakeLists.

# The layer table (cmake/layers.txt): zuk_layer_of(FOLDER OUT) sets OUT to the rank of the
# layer holding FOLDER (a path below source/, matched by its longest listed prefix), -1 when
# the table does not list it.
file(STRINGS ${CMAKE_SOURCE_DIR}/cmake/layers.txt ZUK_LAYER_LINES REGEX "^[^#]")
function(zuk_layer_of folder out)
  set(rank 0)
  set(best -1)
  set(best_len 0)
  foreach(line ${ZUK_LAYER_LINES})
    string(REPLACE " " ";" layer_folders "${line}")
    foreach(layer_folder ${layer_folders})
      string(LENGTH "${layer_folder}" len)
      if((folder STREQUAL layer_folder OR folder MATCHES "^${layer_folder}/") AND len GREATER best_len)
        set(best ${rank})
        set(best_len ${len})
      endif()
    endforeach()
    math(EXPR rank "${rank} + 1")
  endforeach()
  set(${out} ${best} PARENT_SCOPE)
endfunction()

# zuk_add_library(NAME SOURCES... [DEPENDS libs...] [PRIVATE_DEPENDS libs...])
# Each library publishes only its own folder as an include root (a link below the build
# tree, so that "richtext/core/X.h" resolves), to itself and to the libraries that link it:
# a header of a layer that does not link this library cannot be found. Libraries of our own
# may only depend on libraries of their layer or of the layers below.
# STARTUP HEADER CALL names the library's start-up call (registration of its classes), which
# the program and every test program linking the library make once, before anything else.
function(zuk_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS;PRIVATE_DEPENDS;STARTUP" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  if(ARG_STARTUP)
    list(GET ARG_STARTUP 0 startup_header)
    list(GET ARG_STARTUP 1 startup_call)
    set_target_properties(${name} PROPERTIES ZUK_STARTUP_HEADER ${startup_header} ZUK_STARTUP_CALL ${startup_call})
  endif()
  file(RELATIVE_PATH folder ${CMAKE_SOURCE_DIR}/source ${CMAKE_CURRENT_SOURCE_DIR})
  zuk_layer_of(${folder} rank)
  if(rank EQUAL -1)
    message(FATAL_ERROR "source/${folder} is in no layer of cmake/layers.txt")
  endif()
  set_target_properties(${name} PROPERTIES ZUK_FOLDER ${folder} ZUK_LAYER ${rank})
  foreach(dep ${ARG_DEPENDS} ${ARG_PRIVATE_DEPENDS})
    if(TARGET ${dep})
      get_target_property(dep_rank ${dep} ZUK_LAYER)
      if(dep_rank AND dep_rank GREATER rank)
        message(FATAL_ERROR "${name} (source/${folder}) may not depend on ${dep}, a layer above it")
      endif()
    endif()
  endforeach()
  set(root ${CMAKE_BINARY_DIR}/include/${name})
  get_filename_component(link_parent ${root}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${link_parent})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC)
  target_include_directories(${name} PUBLIC ${root})
  if(ARG_DEPENDS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
  endif()
  if(ARG_PRIVATE_DEPENDS)
    target_link_libraries(${name} PRIVATE ${ARG_PRIVATE_DEPENDS})
  endif()
endfunction()

# zuk_startup_calls(OUT_HEADERS OUT_CALLS libs...): the start-up calls of the listed
# libraries and of every library they hand on, from the bottom layer up.
function(zuk_startup_calls out_headers out_calls)
  set(pending ${ARGN})
  set(seen "")
  set(ranked "")
  while(pending)
    list(POP_FRONT pending lib)
    if(NOT TARGET ${lib} OR lib IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${lib})
    get_target_property(deps ${lib} INTERFACE_LINK_LIBRARIES)
    if(deps)
      list(APPEND pending ${deps})
    endif()
    get_target_property(call ${lib} ZUK_STARTUP_CALL)
    if(call)
      get_target_property(rank ${lib} ZUK_LAYER)
      get_target_property(header ${lib} ZUK_STARTUP_HEADER)
      math(EXPR rank "1000 + ${rank}")
      list(APPEND ranked "${rank}|${header}|${call}")
    endif()
  endwhile()
  list(SORT ranked)
  set(headers "")
  set(calls "")
  foreach(entry ${ranked})
    string(REPLACE "|" ";" parts "${entry}")
    list(GET parts 1 header)
    list(GET parts 2 call)
    list(APPEND headers ${header})
    list(APPEND calls ${call})
  endforeach()
  set(${out_headers} ${headers} PARENT_SCOPE)
  set(${out_calls} ${calls} PARENT_SCOPE)
endfunction()

# zuk_use_test_pch(TARGET): the test framework's headers, which every test source includes, are
# parsed once per test program. Each program makes its own (its Qt options and definitions differ).
function(zuk_use_test_pch target)
  target_precompile_headers(${target} PRIVATE <gmock/gmock.h> <gtest/gtest.h> <algorithm> <cstdint>
                            <cstring> <functional> <map> <memory> <string> <vector>)
endfunction()

# zuk_light_checked_build(TARGET [ALWAYS]): the sources of the test programs (ALWAYS) and, in a
# sanitizer build, of the bench programs are built unoptimised: they build in a third of the time
# and are still checked by the sanitizers, and the libraries they exercise keep the build's
# optimisation (the code users run). Benches stay optimised in an ordinary build.
function(zuk_light_checked_build target)
  if(ARGV1 STREQUAL "ALWAYS" OR ZUK_SANITIZE OR CMAKE_CXX_FLAGS MATCHES "-fsanitize=")
    target_compile_options(${target} PRIVATE -O0)
  endif()
endfunction()

# zuk_add_test(NAME SOURCES... [DEPENDS libs...]) builds one GoogleTest program and registers
# its cases. Its main (generated) makes the start-up calls of the libraries it links.
function(zuk_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  zuk_startup_calls(headers calls ${ARG_DEPENDS})
  set(main "// Generated: the start-up calls of the libraries ${name} links, then its tests.\n")
  string(APPEND main "#include <gmock/gmock.h>\n#include \"TestRunEnd.h\"\n")
  foreach(header ${headers})
    string(APPEND main "#include \"${header}\"\n")
  endforeach()
  string(APPEND main "\nint main(int argc, char** argv) {\n")
  foreach(call ${calls})
    string(APPEND main "  ${call}();\n")
  endforeach()
  string(APPEND main "  ::testing::InitGoogleMock(&argc, argv);\n  return zuktest::FinishTestRun(RUN_ALL_TESTS());\n}\n")
  set(main_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_main.cpp)
  file(CONFIGURE OUTPUT ${main_file} CONTENT "${main}")
  add_executable(${name} ${ARG_SOURCES} ${main_file})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} GTest::gtest GTest::gmock)
  zuk_use_test_pch(${name})
  zuk_light_checked_build(${name} ALWAYS)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  # One CTest test per test suite, listed once the program is built.
  set(suites_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_suites.cmake)
  add_custom_command(
    TARGET ${name} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${name}> -DNAME=${name} -DOUT=${suites_file}
            -DWORKDIR=${CMAKE_CURRENT_BINARY_DIR} -DTEST_DATA=${CMAKE_BINARY_DIR}/testdata
            -P ${CMAKE_SOURCE_DIR}/cmake/ListTestSuites.cmake
    BYPRODUCTS ${suites_file}
    VERBATIM)
  set(include_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_include.cmake)
  file(CONFIGURE OUTPUT ${include_file} CONTENT "if(EXISTS \"${suites_file}\")
  include(\"${suites_file}\")
else()
  add_test(${name}_NOT_BUILT ${name}_NOT_BUILT)
endif()
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include_file})
endfunction()

# zuk_startup_file(NAME OUT libs...) writes NAME's definition of MakeStartupCalls(): a generated
# function that makes the start-up calls of the listed libraries, bottom layer first.
function(zuk_startup_file name out)
  zuk_startup_calls(headers calls ${ARGN})
  set(startup "// Generated: the start-up calls of the libraries ${name} links.\n")
  foreach(header ${headers})
    string(APPEND startup "#include \"${header}\"\n")
  endforeach()
  string(APPEND startup "\nvoid MakeStartupCalls() {\n")
  foreach(call ${calls})
    string(APPEND startup "  ${call}();\n")
  endforeach()
  string(APPEND startup "}\n")
  set(startup_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_startup.cpp)
  file(CONFIGURE OUTPUT ${startup_file} CONTENT "${startup}")
  set(${out} ${startup_file} PARENT_SCOPE)
endfunction()

# zuk_add_program(NAME SOURCES... [DEPENDS libs...]) builds a program whose sources define main
# and call MakeStartupCalls() first (see zuk_startup_file).
function(zuk_add_program name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  zuk_startup_file(${name} startup_file ${ARG_DEPENDS})
  add_executable(${name} ${ARG_SOURCES} ${startup_file})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS})
endfunction()

# zuk_add_bench(NAME SOURCES... [DEPENDS libs...]): a benchmark program; like a program it has
# MakeStartupCalls() for the libraries it links, for the benches that run the program's road.
function(zuk_add_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  zuk_startup_file(${name} startup_file ${ARG_DEPENDS})
  add_executable(${name} ${ARG_SOURCES} ${startup_file})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} benchmark::benchmark)
  zuk_light_checked_build(${name})
endfunction()

# zuk_embed_resources(TARGET NAME=TYPE=FILE ...) compiles the named files into TARGET so that
# they can be found at run time by name and type (see platform/core/Resources.h).
function(zuk_embed_resources target)
  set(gen_dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources)
  set(out ${gen_dir}/${target}_resources.cpp)
  set(entries "")
  set(depends "")
  foreach(item ${ARGN})
    string(REPLACE "=" ";" parts "${item}")
    list(GET parts 0 res_name)
    list(GET parts 1 res_type)
    list(GET parts 2 res_file)
    get_filename_component(res_file "${res_file}" ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    list(APPEND entries "${res_name}|${res_type}|${res_file}")
    list(APPEND depends "${res_file}")
  endforeach()
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DOUT=${out} -DTARGET_NAME=${target} "-DENTRIES=${entries}"
            -P ${CMAKE_SOURCE_DIR}/cmake/EmbedResources.cmake
    DEPENDS ${depends} ${CMAKE_SOURCE_DIR}/cmake/EmbedResources.cmake
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
endfunction()

# zuk_glob_library(NAME [DEPENDS libs...] [PRIVATE_DEPENDS libs...] [STARTUP header call]): a static library of
# every .cpp in the folder. PRIVATE_DEPENDS are linked but not handed on (Qt, libjpeg).
function(zuk_glob_library name)
  cmake_parse_arguments(ARG "" "" "DEPENDS;PRIVATE_DEPENDS;STARTUP" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT srcs)
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARG_DEPENDS})
    return()
  endif()
  zuk_add_library(${name} SOURCES ${srcs} DEPENDS ${ARG_DEPENDS} PRIVATE_DEPENDS ${ARG_PRIVATE_DEPENDS}
                  STARTUP ${ARG_STARTUP})
endfunction()

# zuk_glob_test(NAME [DEPENDS libs...]): one test program of every .cpp in the folder.
function(zuk_glob_test name)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  zuk_add_test(${name} SOURCES ${srcs} DEPENDS ${ARG_DEPENDS})
endfunction()
