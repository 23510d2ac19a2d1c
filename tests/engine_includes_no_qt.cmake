# Fails when a file of the engine or of the core message interface includes a
# Qt header: those libraries build on machines without Qt.
file(GLOB_RECURSE files ${ROOT}/engine/*.h ${ROOT}/engine/*.cpp
                        ${ROOT}/platform/core/*.h ${ROOT}/platform/core/*.cpp)
set(bad "")
foreach(f IN LISTS files)
  file(STRINGS ${f} hits REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](Q[A-Za-z]|qt)")
  if(hits)
    list(APPEND bad "${f}: ${hits}")
  endif()
endforeach()
if(bad)
  string(REPLACE ";" "\n" bad "${bad}")
  message(FATAL_ERROR "Qt included in the engine:\n${bad}")
endif()
