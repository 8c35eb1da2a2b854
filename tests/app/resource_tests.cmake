# The resources of the built kelvora.exe, read as a data file under Wine; in both builds.
kelvora_wine_test(resource_bytes_test SOURCES resource_bytes_test.cpp
                  ARGS $<TARGET_FILE:kelvora> EVERY_ARCH)
target_include_directories(resource_bytes_test PRIVATE ${PROJECT_SOURCE_DIR})
add_dependencies(resource_bytes_test kelvora)

# The 64-bit test also reads the 32-bit program's bytes (build-windows.sh names it), so they
# are checked on machines that cannot run the 32-bit build's own test.
set(KELVORA_WIN32_PROGRAM "" CACHE FILEPATH "The 32-bit build's kelvora.exe, for the 64-bit resource test")
if(KELVORA_WIN32_PROGRAM AND CMAKE_SIZEOF_VOID_P EQUAL 8)
    kelvora_wine_test_run(resource_bytes_test_win32 resource_bytes_test
                          ARGS ${KELVORA_WIN32_PROGRAM} i386)
endif()

# The window class, in this process, with the program's resources linked in for the icon.
kelvora_wine_test(main_window_class_test
    SOURCES main_window_class_test.cpp $<TARGET_OBJECTS:kelvora_resources>
    LIBS kelvora_window_class)
