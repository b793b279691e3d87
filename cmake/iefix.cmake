# iefix_library(<name> DEPS <targets...>): one library from every .cpp below the calling folder.
function(iefix_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  if(NOT sources)
    # A folder whose first sources have not landed yet still offers its headers and links.
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE iefix_config ${ARG_DEPS})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_link_libraries(${name} PUBLIC iefix_config ${ARG_DEPS})
endfunction()

# iefix_test_suite(<folder> DEPS <targets...>): tests/<folder>/**/*_test.cpp become <folder>_tests;
# *_thread_test.cpp files become <folder>_thread_tests, labelled "<folder>-threads" for the
# thread-sanitizer run.
function(iefix_test_suite folder)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE all CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  file(GLOB_RECURSE threaded CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_thread_test.cpp)
  set(plain ${all})
  if(threaded)
    list(REMOVE_ITEM plain ${threaded})
  endif()
  foreach(kind plain threaded)
    if(NOT ${kind})
      continue()
    endif()
    if(kind STREQUAL "plain")
      set(target ${folder}_tests)
      set(labels ${folder})
    else()
      set(target ${folder}_thread_tests)
      # One label (a list would be split by test discovery); "-L threads" and "-L <folder>"
      # both match it, since ctest takes the label as a pattern.
      set(labels "${folder}-threads")
    endif()
    add_executable(${target} ${${kind}})
    target_link_libraries(${target} PRIVATE ${ARG_DEPS} iefix_test_support GTest::gtest_main GTest::gmock)
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${labels}"
                         WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    if(kind STREQUAL "threaded")
      set_property(GLOBAL APPEND PROPERTY IEFIX_THREAD_TEST_TARGETS ${target})
    endif()
  endforeach()
endfunction()
