# Warnings are bugs: every target of the project compiles clean with these.
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
                    -Wcast-align -Woverloaded-virtual -Wimplicit-fallthrough)
if(PELLUMO_WERROR)
  add_compile_options(-Werror)
endif()
