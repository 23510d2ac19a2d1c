# Fails when an engine file includes what its place forbids:
# - the engine and the core message interface include no Qt header: those
#   libraries build on machines without Qt;
# - engine/numeric/ includes only its own headers besides the system's and
#   libraries': every other floor builds on it, so it knows none of them;
# - engine/files/ includes nothing of engine/session/: the main window's
#   commands use the file forms, which must not need the commands back.
set(directive "^[ \t]*#[ \t]*include[ \t]*")
set(bad "")

# Include lines matching pattern in the files of the globs that follows
# `IN`, less those matching allowed (empty: none), are reported as what.
function(forbid what pattern allowed)
  list(POP_FRONT ARGN in)
  file(GLOB_RECURSE files ${ARGN})
  foreach(f IN LISTS files)
    file(STRINGS ${f} hits REGEX "${directive}${pattern}")
    if(allowed)
      list(FILTER hits EXCLUDE REGEX "${directive}${allowed}")
    endif()
    if(hits)
      list(APPEND bad "${what}: ${f}: ${hits}")
    endif()
  endforeach()
  set(bad "${bad}" PARENT_SCOPE)
endfunction()

forbid("Qt included in the engine" "[<\"](Q[A-Za-z]|qt)" "" IN
       ${ROOT}/engine/*.h ${ROOT}/engine/*.cpp ${ROOT}/platform/core/*.h ${ROOT}/platform/core/*.cpp)
# Every quoted include, and any of the project's folders in angle brackets,
# unless it names a header of the folder itself.
forbid("engine/numeric/ includes outside itself"
       "(\"|<(app|bench|desktop|engine|platform|tests|widgets)/)"
       "\"engine/numeric/[A-Za-z0-9_]+\\.h\"" IN ${ROOT}/engine/numeric/*)
forbid("engine/files/ includes engine/session/" "[<\"][^\">]*session/" "" IN ${ROOT}/engine/files/*)

if(bad)
  string(REPLACE ";" "\n" bad "${bad}")
  message(FATAL_ERROR "${bad}")
endif()
