# Shared build helpers: every folder is one library target; tests are grouped per folder and label.

find_package(OpenMP)
find_package(Threads REQUIRED)

function(vt_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(VT_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

if(VT_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

function(vt_add_dir dir)
  if(EXISTS ${PROJECT_SOURCE_DIR}/${dir}/CMakeLists.txt)
    add_subdirectory(${PROJECT_SOURCE_DIR}/${dir})
  endif()
endfunction()

# The .cpp (and .c) files of the current folder and of the listed subfolders, into `out`.
function(vt_sources out exts)
  set(globs "")
  foreach(dir IN ITEMS "." ${ARGN})
    foreach(ext IN LISTS exts)
      list(APPEND globs ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.${ext})
    endforeach()
  endforeach()
  file(GLOB found CONFIGURE_DEPENDS ${globs})
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# vt_library(name [SUBDIRS subfolders...] [DEPS public deps...] [PRIVATE_DEPS private deps...])
# Builds every .cpp of the current folder and of the listed subfolders (a folder split by concern
# stays one library; a subfolder with a CMakeLists.txt of its own is a library of its own) into a
# static library.
function(vt_library name)
  cmake_parse_arguments(A "" "" "SUBDIRS;DEPS;PRIVATE_DEPS" ${ARGN})
  vt_sources(srcs "cpp;c" ${A_SUBDIRS})
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${A_DEPS} PRIVATE ${A_PRIVATE_DEPS})
    vt_warnings(${name})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${A_DEPS})
  endif()
endfunction()

# vt_tests(prefix [SUBDIRS subfolders...] [DEPS ...] [GUI_DEPS ...] [GUI_MAIN target])
# Groups the .cpp files of the current test folder and of the listed subfolders by name:
#   *PointerGuiTest.cpp -> <prefix>_pointer_tests (label gui-pointer, which -L gui selects too):
#                  window tests of the real pointer; each runs on an X server of its own, one at a
#                  time (RESOURCE_LOCK x-pointer), so that no other test moves, grabs or covers
#                  what it points at
#   *GuiTest.cpp -> <prefix>_gui_tests  (label gui, each on an X server of its own as well)
#   *E2eTest.cpp -> <prefix>_e2e_tests  (label e2e)
#   *Test.cpp    -> <prefix>_unit_tests (label unit, no display)
#   any other .cpp is a helper compiled into every group.
# Unit groups link GTest's main; GUI and e2e groups link GUI_MAIN when given (the wx test harness).
function(vt_tests prefix)
  cmake_parse_arguments(A "" "GUI_MAIN" "SUBDIRS;DEPS;GUI_DEPS" ${ARGN})
  vt_sources(all "cpp" ${A_SUBDIRS})
  set(unit "")
  set(gui "")
  set(pointer "")
  set(e2e "")
  set(help "")
  foreach(f IN LISTS all)
    get_filename_component(n ${f} NAME)
    if(n MATCHES "PointerGuiTest\\.cpp$")
      list(APPEND pointer ${f})
    elseif(n MATCHES "GuiTest\\.cpp$")
      list(APPEND gui ${f})
    elseif(n MATCHES "E2eTest\\.cpp$")
      list(APPEND e2e ${f})
    elseif(n MATCHES "Test\\.cpp$")
      list(APPEND unit ${f})
    else()
      list(APPEND help ${f})
    endif()
  endforeach()
  foreach(label IN ITEMS unit gui pointer e2e)
    if(NOT ${label})
      continue()
    endif()
    if(NOT label STREQUAL "unit" AND NOT VT_WITH_GUI)
      continue()
    endif()
    set(exe ${prefix}_${label}_tests)
    add_executable(${exe} ${${label}} ${help})
    target_include_directories(${exe} PRIVATE ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${exe} PRIVATE ${A_DEPS} test_support GTest::gtest GTest::gmock Threads::Threads)
    if(label STREQUAL "unit" OR NOT A_GUI_MAIN)
      target_link_libraries(${exe} PRIVATE GTest::gtest_main)
    else()
      target_link_libraries(${exe} PRIVATE ${A_GUI_MAIN})
    endif()
    if(NOT label STREQUAL "unit")
      target_link_libraries(${exe} PRIVATE ${A_GUI_DEPS})
    endif()
    target_compile_definitions(${exe} PRIVATE VT_SOURCE_DIR="${PROJECT_SOURCE_DIR}" VT_BINARY_DIR="${PROJECT_BINARY_DIR}")
    vt_warnings(${exe})
    if(label STREQUAL "pointer")
      set(props LABELS gui-pointer RESOURCE_LOCK x-pointer ENVIRONMENT VT_GUI_PRIVATE_DISPLAY=1)
    elseif(label STREQUAL "gui")
      # A server of its own for each window test too: no other test's window covers its
      # windows, takes the focus from them or holds the pointer grab its menus need.
      set(props LABELS gui ENVIRONMENT VT_GUI_PRIVATE_DISPLAY=1)
    else()
      set(props LABELS ${label})
    endif()
    gtest_discover_tests(${exe}
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 60
      WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
      PROPERTIES ${props} TIMEOUT 300)
  endforeach()
endfunction()
