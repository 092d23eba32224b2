# Header-only libraries of the build machine offered to a Windows cross build.
# The machine's /usr/include cannot be offered whole (its C library's headers
# would shadow the target's), so each library's folder or file is linked into
# a folder of its own in the build tree, and only that folder is offered.
#
#   kestrel_host_headers(TARGET CLI11::CLI11 ENTRY CLI FROM /usr/include)
#
# makes the imported target TARGET whose include folder holds ENTRY (a folder
# or a file) linked from the folder FROM.
function(kestrel_host_headers)
  cmake_parse_arguments(arg "" "TARGET;ENTRY;FROM" "" ${ARGN})
  if(NOT EXISTS ${arg_FROM}/${arg_ENTRY})
    message(FATAL_ERROR "${arg_TARGET}: ${arg_FROM}/${arg_ENTRY} is missing (scripts/setup installs it)")
  endif()
  string(MAKE_C_IDENTIFIER ${arg_TARGET} folder_name)
  set(folder ${CMAKE_BINARY_DIR}/host-headers/${folder_name})
  file(MAKE_DIRECTORY ${folder})
  file(CREATE_LINK ${arg_FROM}/${arg_ENTRY} ${folder}/${arg_ENTRY} SYMBOLIC)
  add_library(${arg_TARGET} INTERFACE IMPORTED GLOBAL)
  set_target_properties(${arg_TARGET} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${folder})
endfunction()
