# Helpers shared by every folder's CMakeLists.txt.

# tessaray_add_subdirectories(): adds every direct subfolder that has a
# CMakeLists.txt, in alphabetical order, so that a new stand-in or component
# only needs its own folder.
function(tessaray_add_subdirectories)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# tessaray_add_test(NAME <exe> SOURCES <files...> LIBS <targets...> [GUI])
# One GoogleTest executable; its cases are discovered by CTest at test time.
# GUI tests get a main() that creates the Qt application, run on Qt's
# offscreen platform and are left out of builds without GUI.
function(tessaray_add_test)
  cmake_parse_arguments(T "GUI" "NAME" "SOURCES;LIBS" ${ARGN})
  if(T_GUI AND NOT TESSARAY_WITH_GUI)
    return()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  if(T_GUI)
    # A Qt application exists for the whole run (tests/support/GuiTestMain.cpp).
    set_target_properties(${T_NAME} PROPERTIES AUTOMOC ON)
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} tessaray_testsupport tessaray_guitest_main GTest::gtest GTest::gmock Qt6::Widgets Qt6::Test)
  else()
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} tessaray_testsupport GTest::gtest GTest::gmock GTest::gtest_main)
  endif()
  gtest_discover_tests(${T_NAME}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    # One variable only: the discovered tests' properties are written as a
    # list, so a second "A=B" entry would be split off as a property name.
    # The offscreen platform comes from tests/support/GuiTestMain.cpp.
    PROPERTIES ENVIRONMENT "TESSARAY_TEST_DATA=${CMAKE_CURRENT_SOURCE_DIR}/data"
               TIMEOUT 300)
endfunction()

# tessaray_header_check(<target> <headers...>): compiles every listed header on
# its own, so that no header relies on what was included before it.
function(tessaray_header_check target)
  set(sources)
  foreach(h IN LISTS ARGN)
    get_filename_component(abs ${h} ABSOLUTE)
    file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${abs})
    string(MAKE_C_IDENTIFIER ${rel} id)
    set(src ${CMAKE_CURRENT_BINARY_DIR}/headercheck/${id}.cpp)
    file(CONFIGURE OUTPUT ${src} CONTENT "#include \"${rel}\"\n")
    list(APPEND sources ${src})
  endforeach()
  add_library(${target}_headercheck OBJECT ${sources})
  target_link_libraries(${target}_headercheck PRIVATE ${target})
endfunction()
