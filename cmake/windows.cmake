# The Windows build (cross-compiled with MinGW-w64, see cmake/mingw-w64.cmake and
# tools/windows.sh). Included from CMakeLists.txt when WIN32.

# The benchmarks measure Linux processes (LD_PRELOAD, /proc); not built here.
set(BRIMZO_BENCH OFF CACHE BOOL "Build the benchmarks" FORCE)

# Programs started by the tests see the source tree on Wine's drive Z:, as a Windows path.
set(BRIMZO_TEST_SOURCE_DIR "Z:${CMAKE_SOURCE_DIR}")
set(BRIMZO_TEST_BINARY "Z:$<TARGET_FILE:brimzo>")


enable_language(RC)

# --- The runtime DLLs --------------------------------------------------------------------------
# Copied next to the programs, as they will be shipped: the libraries built for Windows and the
# compiler's runtime (C++, GCC, winpthreads, stack protector).
file(GLOB BRIMZO_WINDOWS_DLLS "${BRIMZO_WINDOWS_PREFIX}/bin/*.dll")
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libssp-0.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
    OUTPUT_VARIABLE dll_path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${dll_path}")
    find_file(dll_path_found ${dll} PATHS /usr/${BRIMZO_HOST}/lib NO_DEFAULT_PATH
      NO_CMAKE_FIND_ROOT_PATH)
    set(dll_path ${dll_path_found})
    unset(dll_path_found CACHE)
  endif()
  if(NOT EXISTS "${dll_path}")
    message(FATAL_ERROR "${dll} not found for ${CMAKE_CXX_COMPILER}")
  endif()
  list(APPEND BRIMZO_WINDOWS_DLLS ${dll_path})
endforeach()
foreach(dll ${BRIMZO_WINDOWS_DLLS})
  get_filename_component(dll_name ${dll} NAME)
  configure_file(${dll} ${CMAKE_BINARY_DIR}/${dll_name} COPYONLY)
endforeach()

# --- The game ----------------------------------------------------------------------------------
# A GUI program (no console) with its version and its icon. SDL 1.2's window takes its icon from
# the program's icon resource named SDL_app.
set(BRIMZO_WINDOWS_ICON ${CMAKE_SOURCE_DIR}/packaging/icons/brimzo.ico)
function(brimzo_windows_resources target file_name)
  set(BRIMZO_RC_FILENAME ${file_name})
  configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/brimzo.rc.in
    ${CMAKE_BINARY_DIR}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_BINARY_DIR}/${target}.rc)
  set_property(SOURCE ${CMAKE_BINARY_DIR}/${target}.rc APPEND PROPERTY
    OBJECT_DEPENDS ${BRIMZO_WINDOWS_ICON})
endfunction()

function(brimzo_windows_game target)
  set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE TRUE OUTPUT_NAME brimzo-game)
  brimzo_windows_resources(${target} brimzo-game.exe)
  # Debian's Windows SDL names only -lSDL, yet its cflags rename main to SDL_main: the entry
  # point comes from SDLmain.
  find_library(BRIMZO_SDLMAIN_LIBRARY SDLmain REQUIRED)
  target_link_libraries(${target} PRIVATE mingw32 ${BRIMZO_SDLMAIN_LIBRARY})
endfunction()

# --- The tests ---------------------------------------------------------------------------------
# GoogleTest built from Debian's sources with the cross compiler.
function(brimzo_windows_gtest)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  if(NOT TARGET GTest::gtest)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
endfunction()

# The environment of every test. gtest_discover_tests (CMake 3.25) applies only the first entry
# of a list given in its PROPERTIES: the discovered tests get theirs from a script ctest reads
# after the list of tests, which sets the whole list on each.
set(BRIMZO_WINDOWS_TEST_ENVIRONMENT SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy)

# A child process of a test is the test program started again under Wine (some 100 ms each,
# where a fork takes one): the tests that start thousands of them take a spread of the cases.
add_compile_definitions(BRIMZO_SLOW_CHILD_PROCESSES)

# Tests about Linux alone, built but left out of the run by their label (ctest -LE linux-only):
# - which SDL 1.2 runtime the Debian build loads (a whole program, and the case that reads which
#   SDL libraries a game process has mapped, from /proc);
# - the game ended by SIGTERM (Windows has no such signal, and a close request needs a real
#   window, which the suite's dummy video driver has not);
# - the score file behind POSIX links (symbolic links need an administrator or developer mode
#   on Windows, and are treated apart there: see src/scores/score_fs_windows.cpp);
# - a shared install of POSIX owners and modes, and games run as two users of one group (on
#   Windows the folder that refuses new files is reached through the seam instead).
# The cases are regular expressions over the tests' full names.
set(BRIMZO_WINDOWS_LINUX_ONLY_TESTS sdl_runtime_test)
set(BRIMZO_WINDOWS_LINUX_ONLY_CASES
  "^Process[.]SigtermOnTheIntroIsANormalQuit$"
  "^Process[.]GameRunsOnThePassRuntime$"
  "^ScoreFile/LinkedFiles[.]"
  "^ScoreFile[.]LinksPlantedAtTheTemporaryNamesAreNotFollowed$"
  "^ScoreFile/FaultAtEveryCall[.].*/links_"
  "^ScoreFile[.]DirectoryThatRefusesNewFilesIsWrittenInPlace$"
  "^SharedTable/ManyGames[.].*/two_users_")

function(brimzo_windows_test name)
  # Listed when ctest runs, under Wine, not at build time.
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
    TEST_LIST ${name}_TESTS)
  set(labels "")
  if(name IN_LIST BRIMZO_WINDOWS_LINUX_ONLY_TESTS)
    set(labels " LABELS linux-only")
  endif()
  set(script ${CMAKE_BINARY_DIR}/${name}_environment.cmake)
  file(WRITE ${script} "if(${name}_TESTS)\n  set_tests_properties(\${${name}_TESTS} PROPERTIES\n"
    "    ENVIRONMENT \"${BRIMZO_WINDOWS_TEST_ENVIRONMENT}\"${labels})\nendif()\n")
  file(APPEND ${script} "foreach(case IN LISTS ${name}_TESTS)\n"
    "  foreach(pattern ${BRIMZO_WINDOWS_LINUX_ONLY_CASES})\n"
    "    if(case MATCHES \"\${pattern}\")\n"
    "      set_tests_properties(\${case} PROPERTIES LABELS linux-only)\n"
    "    endif()\n  endforeach()\nendforeach()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
endfunction()

function(brimzo_windows_fuzz_replay exe target)
  add_test(NAME fuzz_corpus_${target}
    COMMAND ${exe} ${BRIMZO_TEST_SOURCE_DIR}/tests/fuzz/corpus/${target})
  set_tests_properties(fuzz_corpus_${target} PROPERTIES
    ENVIRONMENT "${BRIMZO_WINDOWS_TEST_ENVIRONMENT}")
endfunction()

# --- The launcher ------------------------------------------------------------------------------
# brimzo.exe: starts the game from its own folder, silent when no sound output opens.
add_executable(brimzo_launcher WIN32 packaging/windows/launcher.cpp)
set_target_properties(brimzo_launcher PROPERTIES OUTPUT_NAME brimzo)
target_link_options(brimzo_launcher PRIVATE -municode)
brimzo_windows_resources(brimzo_launcher brimzo.exe)
if(BRIMZO_TESTS)
  add_executable(launcher_test_game tests/windows/launcher_test_game.cpp)
  add_test(NAME windows_launcher COMMAND bash ${CMAKE_SOURCE_DIR}/tests/windows/launcher_test.sh
    $<TARGET_FILE:brimzo_launcher> $<TARGET_FILE:launcher_test_game>)
  set_tests_properties(windows_launcher PROPERTIES TIMEOUT 300)
endif()
