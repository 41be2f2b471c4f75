# Warnings are on for every target of ours; new warnings are faults.
function(loom_target_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror=return-type)
    if(LOOM_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

if(LOOM_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
