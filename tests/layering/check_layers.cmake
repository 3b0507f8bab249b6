# Fails when a source file includes a header of a layer above its own, or
# when code other than the plots and the desktop front end includes Qt (the
# runner reaches the plots through their Qt-free header).  The build already
# refuses such includes in the files it compiles (each layer sees only its
# own include root and those of the layers it links); this check also covers
# headers that no file of their own layer happens to include.
#
#   cmake -DSOURCE_DIR=<repository> -P check_layers.cmake
set(allowed_core core)
set(allowed_io core io)
set(allowed_output core output)
set(allowed_job core io output job)
set(allowed_plots core io output job plots)
set(allowed_cli core io output job plots cli)
set(allowed_tools core io output job tools)
set(allowed_ui core io output job plots ui)
set(allowed_app core io output job plots ui app)
set(layers core io output job plots cli tools ui app)

set(problems "")
foreach(layer ${layers})
  file(GLOB files ${SOURCE_DIR}/${layer}/*.h ${SOURCE_DIR}/${layer}/*.cpp ${SOURCE_DIR}/${layer}/*.y)
  foreach(file ${files})
    file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line ${lines})
      if(line MATCHES "#[ \t]*include[ \t]*\"([a-z_]+)/")
        set(target ${CMAKE_MATCH_1})
        list(FIND layers ${target} known)
        list(FIND allowed_${layer} ${target} permitted)
        if(known GREATER -1 AND permitted EQUAL -1)
          file(RELATIVE_PATH name ${SOURCE_DIR} ${file})
          string(APPEND problems "  ${name}: ${line} (${layer} may include: ${allowed_${layer}})\n")
        endif()
      endif()
      if(line MATCHES "#[ \t]*include[ \t]*<Q" AND NOT layer MATCHES "^(plots|ui|app)$")
        file(RELATIVE_PATH name ${SOURCE_DIR} ${file})
        string(APPEND problems "  ${name}: ${line} (only the plots and the desktop front end include Qt)\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(problems)
  message(FATAL_ERROR "Includes that point upwards:\n${problems}")
endif()
message(STATUS "Layers include only downwards")
