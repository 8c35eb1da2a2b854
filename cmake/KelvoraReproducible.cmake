# The Windows builds give the same programs byte for byte whatever folders they are built in
# and whenever: the source and build folders' paths are written as relative ones (in
# __FILE__, and in the names the object files carry), and the linker leaves the PE header's
# time stamp at zero. The build folder is named last: it usually lies inside the source
# folder, and the last matching map is the one used.
if(KELVORA_WINDOWS)
    add_compile_options(
        "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=>"
        "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}/=build/>")
    add_link_options(-Wl,--no-insert-timestamp)
endif()
