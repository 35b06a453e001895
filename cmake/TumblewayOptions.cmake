# Compiler settings shared by every target of our own.

if(TW_SANITIZE)
  # Applied globally so that every object of a test binary is instrumented alike.
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
  # The invariant checks run there too: a broken one stops the test that breaks it.
  add_compile_definitions(TW_ASSERTS)
endif()
if(TW_SANITIZE_THREADS)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

# tw_our_code(target): warnings (as errors when TW_WERROR is on) for code we write.
function(tw_our_code target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(TW_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# tw_include_only(target folder...): the target, and whoever links it, include the given
# source folders by their names ("filewrite/X.h") and nothing beside them. The include
# folder is made in the build tree and holds only links to those folders; an include of
# a folder not given does not compile.
function(tw_include_only target)
  set(folder ${CMAKE_BINARY_DIR}/include-only/${target})
  file(REMOVE_RECURSE ${folder})
  file(MAKE_DIRECTORY ${folder})
  foreach(source IN LISTS ARGN)
    get_filename_component(name ${source} NAME)
    file(CREATE_LINK ${source} ${folder}/${name} SYMBOLIC)
  endforeach()
  target_include_directories(${target} PUBLIC ${folder})
endfunction()
