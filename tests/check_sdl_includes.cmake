# Fails when a source outside engine/platform includes an SDL header.
file(GLOB_RECURSE sources RELATIVE ${ROOT}
     ${ROOT}/engine/*.h ${ROOT}/engine/*.cpp ${ROOT}/world/*.h ${ROOT}/world/*.cpp
     ${ROOT}/game/*.h ${ROOT}/game/*.cpp ${ROOT}/combat/*.h ${ROOT}/combat/*.cpp
     ${ROOT}/script/*.h ${ROOT}/script/*.cpp ${ROOT}/ai/*.h ${ROOT}/ai/*.cpp
     ${ROOT}/controls/*.h ${ROOT}/controls/*.cpp ${ROOT}/frontend/*.h ${ROOT}/frontend/*.cpp ${ROOT}/tools/*.h ${ROOT}/tools/*.cpp
     ${ROOT}/tests/*.h ${ROOT}/tests/*.cpp ${ROOT}/bench/*.cpp)
set(bad "")
foreach(f IN LISTS sources)
  if(f MATCHES "^engine/platform/")
    continue()
  endif()
  file(STRINGS ${ROOT}/${f} hits REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](SDL2?/)?SDL[_.a-zA-Z0-9]*\\.h[>\"]")
  if(hits)
    list(APPEND bad ${f})
  endif()
endforeach()
if(bad)
  message(FATAL_ERROR "SDL headers included outside engine/platform: ${bad}")
endif()
