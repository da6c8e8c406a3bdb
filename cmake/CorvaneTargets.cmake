# The one place that says how a folder of Corvane sources becomes a target.
#
# corvane_apply_settings(<target>)
#   C++20, warnings (errors under CORVANE_WERROR), strict IEEE arithmetic and the
#   include root `src/`, so that every target compiles the same way.
#
# corvane_add_folder_library(<folder> [LINKS <targets>...])
#   An object library `corvane_<folder>` from every .cpp of src/<folder>/, compiled
#   without semantic interposition (the library's own calls bind directly).
#   Sources are globbed so that a new file needs no edit here.
#
# corvane_add_test_folder(<folder> [LINKS <targets>...] [PROPERTIES <name> <value>...])
#   One GoogleTest executable `test_<folder>` from tests/<folder>/*.cpp, linked
#   with the shared test harness and registered with CTest; PROPERTIES are
#   CTest properties of every test it holds (a RESOURCE_LOCK, for instance).

function(corvane_apply_settings target)
  target_compile_features(${target} PUBLIC cxx_std_20)
  set_target_properties(${target} PROPERTIES CXX_EXTENSIONS OFF)
  target_compile_options(${target} PRIVATE -Wall -Wextra -ffp-contract=off
                         $<$<BOOL:${CORVANE_WERROR}>:-Werror>)
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
endfunction()

function(corvane_add_folder_library folder)
  cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(target corvane_${folder})
  add_library(${target} OBJECT ${sources})
  corvane_apply_settings(${target})
  # The library's calls to its own functions bind directly instead of through the PLT: no
  # program replaces them.
  target_compile_options(${target} PRIVATE -fno-semantic-interposition)
  if(ARG_LINKS)
    target_link_libraries(${target} PUBLIC ${ARG_LINKS})
  endif()
endfunction()

function(corvane_add_test_folder folder)
  cmake_parse_arguments(ARG "" "" "LINKS;PROPERTIES" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(target test_${folder})
  add_executable(${target} ${sources})
  corvane_apply_settings(${target})
  target_link_libraries(${target} PRIVATE corvane_test_support ${ARG_LINKS})
  # The tests' environment is set by the test main: a list-valued ENVIRONMENT here would
  # reach CTest as separate properties. A parameterised test is named by its own name suffix
  # (NO_PRETTY_VALUES): the printed parameter, often a byte dump with addresses, would make
  # names of hundreds of characters that differ from run to run, and CTest pads every line of
  # its output to the longest name.
  set(discovery DISCOVERY_MODE PRE_TEST NO_PRETTY_VALUES)
  if(ARG_PROPERTIES)
    gtest_discover_tests(${target} ${discovery} PROPERTIES ${ARG_PROPERTIES})
  else()
    gtest_discover_tests(${target} ${discovery})
  endif()
endfunction()

# The simulated machine of the tests, as sources that the bench and fuzz programs compile in
# as well (they link no test harness).
set(CORVANE_SIMULATED_MACHINE_SOURCES
    ${PROJECT_SOURCE_DIR}/tests/support/simulated_machine.cpp
    ${PROJECT_SOURCE_DIR}/tests/support/simulated_machine_jet.cpp
    ${PROJECT_SOURCE_DIR}/tests/support/simulated_lan_responder.cpp
    ${PROJECT_SOURCE_DIR}/tests/support/jet_unpacker.cpp)
