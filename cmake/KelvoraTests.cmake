# Test helpers for both builds.
#
# Native build: kelvora_native_test(name SOURCES ... LIBS ...) builds a GoogleTest program
# and runs it directly.
#
# Windows build: kelvora_wine_test(name SOURCES ... LIBS ... [ARGS ...] [LOCK ...]
# [EVERY_ARCH]) builds a console GoogleTest program; CTest runs it under Wine through the
# cross-compiling emulator (tools/wine-run.sh, configured into the build folder). Every Wine
# test needs two fixtures: the build's own throwaway Wine prefix and an Xvfb display.
# kelvora_wine_test_run(name exe [CP932] [ARGS ...] [LOCK ...] [EVERY_ARCH]) adds another run
# of an existing test program, for example under LC_ALL=ja_JP.UTF-8, where Wine's ANSI code
# page is 932.
#
# Both Windows builds (64-bit build/windows, 32-bit build/win32) run the tests marked
# EVERY_ARCH, those of the program itself (label every_arch). The other Windows tests run
# once, in the 64-bit build: in the 32-bit one they are not built by default and are
# registered as disabled, unless KELVORA_ALL_WINE_TESTS is ON. On a machine that cannot run
# 32-bit programs the runner exits 77 for a 32-bit test program, with the reason, and CTest
# reports the test as skipped.

function(kelvora_native_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;ARGS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
    kelvora_warnings(${name})
    add_test(NAME ${name} COMMAND ${name} ${T_ARGS})
    set_tests_properties(${name} PROPERTIES TIMEOUT 600 LABELS native)
endfunction()

if(KELVORA_WINDOWS)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        set(kelvora_all_wine_tests_default OFF)
    else()
        set(kelvora_all_wine_tests_default ON)
    endif()
    option(KELVORA_ALL_WINE_TESTS "Build and run every Windows test, not only the EVERY_ARCH ones"
           ${kelvora_all_wine_tests_default})

    set(KELVORA_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
    set(KELVORA_XVFB_STATE ${CMAKE_BINARY_DIR}/xvfb.state)
    set(KELVORA_TOOLS_DIR ${PROJECT_SOURCE_DIR}/tools)
    configure_file(${PROJECT_SOURCE_DIR}/tools/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
                   FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                    WORLD_READ WORLD_EXECUTE @ONLY)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh CACHE FILEPATH "" FORCE)

    add_test(NAME wine_prefix_setup
             COMMAND ${KELVORA_TOOLS_DIR}/wine-prefix.sh setup ${KELVORA_WINEPREFIX})
    add_test(NAME wine_prefix_cleanup
             COMMAND ${KELVORA_TOOLS_DIR}/wine-prefix.sh stop ${KELVORA_WINEPREFIX})
    set_tests_properties(wine_prefix_setup PROPERTIES FIXTURES_SETUP wine_prefix TIMEOUT 300)
    set_tests_properties(wine_prefix_cleanup PROPERTIES FIXTURES_CLEANUP wine_prefix TIMEOUT 60)
    add_test(NAME xvfb_start COMMAND ${KELVORA_TOOLS_DIR}/xvfb.sh start ${KELVORA_XVFB_STATE})
    add_test(NAME xvfb_stop COMMAND ${KELVORA_TOOLS_DIR}/xvfb.sh stop ${KELVORA_XVFB_STATE})
    set_tests_properties(xvfb_start PROPERTIES FIXTURES_SETUP xvfb TIMEOUT 60)
    set_tests_properties(xvfb_stop PROPERTIES FIXTURES_CLEANUP xvfb TIMEOUT 60)
endif()

# LOCK names a CTest resource lock, for tests that share something of the prefix (the
# settings key in the registry, for example) and so must not run at the same time.
function(kelvora_wine_test_run name exe)
    cmake_parse_arguments(T "CP932;EVERY_ARCH" "" "ARGS;LOCK" ${ARGN})
    add_test(NAME ${name} COMMAND ${exe} ${T_ARGS})
    set_tests_properties(${name} PROPERTIES
        FIXTURES_REQUIRED "wine_prefix;xvfb" TIMEOUT 600 LABELS wine SKIP_RETURN_CODE 77)
    if(T_EVERY_ARCH)
        set_property(TEST ${name} APPEND PROPERTY LABELS every_arch)
    elseif(NOT KELVORA_ALL_WINE_TESTS)
        set_tests_properties(${name} PROPERTIES DISABLED TRUE)
    endif()
    if(T_CP932)
        set_tests_properties(${name} PROPERTIES ENVIRONMENT "LC_ALL=ja_JP.UTF-8")
    endif()
    if(T_LOCK)
        set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${T_LOCK}")
    endif()
endfunction()

function(kelvora_wine_test name)
    cmake_parse_arguments(T "EVERY_ARCH" "" "SOURCES;LIBS;ARGS;LOCK" ${ARGN})
    set(exclude)
    set(run_options ARGS ${T_ARGS})
    if(T_EVERY_ARCH)
        list(APPEND run_options EVERY_ARCH)
    elseif(NOT KELVORA_ALL_WINE_TESTS)
        set(exclude EXCLUDE_FROM_ALL)
    endif()
    if(T_LOCK)
        list(APPEND run_options LOCK ${T_LOCK})
    endif()
    add_executable(${name} ${exclude} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
    kelvora_warnings(${name})
    kelvora_wine_test_run(${name} ${name} ${run_options})
endfunction()
