# The layers of the libraries, from the bottom up. A library, and every
# source file, links and includes only its own layer or lower ones, and the
# links within a layer form no cycle. Every folder that holds a library is
# listed here: a new engine module joins the engine layer's line.
set(ORV_LAYERS
  "engine/platform tests/support"
  "engine/base"
  "engine/data engine/gfx engine/dxapp engine/astreams engine/dsframe engine/athread engine/dpframe engine/d3dframe engine/dxwin tools/databuilder"
  "world tools/demodata"
  "combat script ai"
  "controls"
  "game frontend"
)
# Beside the layers: these may use any layer. Tests under tests/<folder> take
# the layer of <folder>, so engine tests link only engine libraries; no
# library of a layer uses the tests' code.
set(ORV_BESIDE tools bench fuzz tests)

# Writes every target of the project with its folder and links into FILE,
# for the layer check (tests/check_layers.cmake).
function(orv_write_link_graph file)
  set(dirs ${PROJECT_SOURCE_DIR})
  set(targets "")
  while(dirs)
    list(POP_FRONT dirs dir)
    get_property(sub DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    list(APPEND dirs ${sub})
    get_property(here DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    list(APPEND targets ${here})
  endwhile()
  set(out "set(ORV_TARGETS ${targets})\n")
  foreach(t IN LISTS targets)
    get_target_property(dir ${t} SOURCE_DIR)
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${dir})
    get_target_property(type ${t} TYPE)
    set(links "")
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(own ${t} LINK_LIBRARIES)
      if(own)
        list(APPEND links ${own})
      endif()
    endif()
    get_target_property(iface ${t} INTERFACE_LINK_LIBRARIES)
    if(iface)
      list(APPEND links ${iface})
    endif()
    list(TRANSFORM links REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1")
    list(REMOVE_DUPLICATES links)
    string(APPEND out "set(ORV_FOLDER_${t} \"${folder}\")\nset(ORV_LINKS_${t} \"${links}\")\n")
  endforeach()
  file(WRITE ${file} "${out}")
endfunction()
