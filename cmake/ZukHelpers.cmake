# Small helpers shared by every folder's CMakeLists.

# zuk_add_library(NAME SOURCES... [DEPENDS libs...])
function(zuk_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/source)
  if(ARG_DEPENDS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
  endif()
endfunction()

# zuk_add_test(NAME SOURCES... [DEPENDS libs...]) builds one GoogleTest program and registers its cases.
function(zuk_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ZUK_TEST_DATA=${CMAKE_BINARY_DIR}/testdata")
endfunction()

# zuk_add_bench(NAME SOURCES... [DEPENDS libs...])
function(zuk_add_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} benchmark::benchmark)
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

# zuk_glob_library(NAME [DEPENDS libs...]): a static library of every .cpp in the folder.
function(zuk_glob_library name)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT srcs)
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARG_DEPENDS})
    return()
  endif()
  zuk_add_library(${name} SOURCES ${srcs} DEPENDS ${ARG_DEPENDS})
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
