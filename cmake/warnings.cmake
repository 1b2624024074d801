# mivo_warnings(target): the warning set of the project's own code.
function(mivo_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(MIVO_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
