# The resources of the built kelvora.exe, read as a data file under Wine.
kelvora_wine_test(resource_bytes_test SOURCES resource_bytes_test.cpp
                  ARGS $<TARGET_FILE:kelvora>)
target_include_directories(resource_bytes_test PRIVATE ${PROJECT_SOURCE_DIR})
add_dependencies(resource_bytes_test kelvora)
