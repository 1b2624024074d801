# The sanitizer configuration instruments everything, SQLite included, and makes
# every undefined-behaviour report fatal so that a test cannot pass over one.
if(MIVO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libasan.so
                  OUTPUT_VARIABLE MIVO_LIBASAN OUTPUT_STRIP_TRAILING_WHITESPACE)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libubsan.so
                  OUTPUT_VARIABLE MIVO_LIBUBSAN OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()
