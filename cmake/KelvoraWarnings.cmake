# Warnings for the project's own targets (not for GoogleTest).
function(kelvora_warnings target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wshadow -Wformat=2 -Wimplicit-fallthrough)
    if(KELVORA_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
