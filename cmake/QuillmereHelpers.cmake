# Shared build settings for every Quillmere target.

set(QM_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
    -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough)

function(qm_target_defaults target)
  target_compile_options(${target} PRIVATE ${QM_WARNINGS})
  if(QUILLMERE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# qm_library(NAME SOURCES <files...> DEPS <libs...>): a static library of the listed sources,
# relative to the calling folder. Files ending in Posix.cpp / Win32.cpp are kept only on their
# own platform, so a layer lists both and the build picks one.
function(qm_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  set(sources ${ARG_SOURCES})
  if(WIN32)
    list(FILTER sources EXCLUDE REGEX "Posix\\.cpp$")
  else()
    list(FILTER sources EXCLUDE REGEX "Win32\\.cpp$")
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_BINARY_DIR}/generated)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  qm_target_defaults(${name})
endfunction()

# qm_gtests(DIR <dir> DEPS <libs...> [EXCLUDE <names...>]): one GoogleTest program per *Test.cpp
# in DIR, but those named in EXCLUDE.
function(qm_gtests)
  cmake_parse_arguments(ARG "" "DIR;PREFIX" "DEPS;EXCLUDE" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${ARG_DIR}/*Test.cpp)
  foreach(src IN LISTS tests)
    get_filename_component(base ${src} NAME_WE)
    if(base IN_LIST ARG_EXCLUDE)
      continue()
    endif()
    set(exe ${ARG_PREFIX}${base})
    add_executable(${exe} ${src})
    target_link_libraries(${exe} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main GTest::gmock)
    qm_target_defaults(${exe})
    qm_add_gtest(${exe})
  endforeach()
endfunction()

# Registers a GoogleTest program with ctest: one test per case here; in a cross build, where each
# start of the program under the emulator (Wine) is slow, the whole program as one test.
function(qm_add_gtest exe)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${exe} COMMAND ${exe} --gtest_brief=1)
    set_tests_properties(${exe} PROPERTIES LABELS core)
  else()
    gtest_discover_tests(${exe} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS core ${ARGN})
  endif()
endfunction()

# qm_qtests(DIR <dir> DEPS <libs...>): one Qt Test program per *Test.cpp in DIR, run offscreen.
function(qm_qtests)
  cmake_parse_arguments(ARG "" "DIR;PREFIX" "DEPS" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${ARG_DIR}/*Test.cpp)
  foreach(src IN LISTS tests)
    get_filename_component(base ${src} NAME_WE)
    set(exe ${ARG_PREFIX}${base})
    add_executable(${exe} ${src})
    set_target_properties(${exe} PROPERTIES AUTOMOC ON)
    target_link_libraries(${exe} PRIVATE ${ARG_DEPS} Qt6::Test)
    qm_target_defaults(${exe})
    add_test(NAME ${exe} COMMAND ${exe})
    set_tests_properties(${exe} PROPERTIES LABELS gui TIMEOUT 300
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_ACCESSIBILITY=0")
  endforeach()
endfunction()
