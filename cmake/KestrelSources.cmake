# Sources are picked up by folder so that a new file needs no build edit.
# Platform seams follow one naming rule: *_win32.cpp builds only for Windows,
# *_posix.cpp only elsewhere; files whose name ends in _main.cpp are programs
# and never part of a library.
function(kestrel_collect_sources out)
  set(result)
  foreach(dir ${ARGN})
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
    foreach(f ${found})
      get_filename_component(name ${f} NAME)
      if(name MATCHES "_main\\.cpp$")
        continue()
      endif()
      if(name MATCHES "_win32\\.cpp$" AND NOT WIN32)
        continue()
      endif()
      if(name MATCHES "_posix\\.cpp$" AND WIN32)
        continue()
      endif()
      list(APPEND result ${f})
    endforeach()
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()
