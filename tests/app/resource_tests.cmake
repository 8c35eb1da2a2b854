# The resources of the built kelvora.exe, read as a data file under Wine; in both builds.
kelvora_wine_test(resource_bytes_test SOURCES resource_bytes_test.cpp
                  ARGS $<TARGET_FILE:kelvora> EVERY_ARCH)
target_include_directories(resource_bytes_test PRIVATE ${PROJECT_SOURCE_DIR})
add_dependencies(resource_bytes_test kelvora)

# The window class, in this process, with the program's resources linked in for the icon.
kelvora_wine_test(main_window_class_test
    SOURCES main_window_class_test.cpp $<TARGET_OBJECTS:kelvora_resources>
    LIBS kelvora_window_class)
