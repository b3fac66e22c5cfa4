# The plug-in's own protobuf runtime: a position-independent static libprotobuf
# with hidden symbols, built once per checkout by scripts/build-protobuf.sh into
# .cache/protobuf-pic, outside every build folder, and shared by all of them.
# Only the library a host loads links it; with the system's shared runtime,
# every copy of the plug-in in a process (and any other plug-in that registers
# a file of the same name) would register its pack schema in one generated
# pool, and the second registration aborts the host.
set(AMBER_PROTOBUF_PIC_DIR ${PROJECT_SOURCE_DIR}/.cache/protobuf-pic
    CACHE PATH "Folder of the plug-in's own protobuf runtime (include/, lib/libprotobuf.a)")
# Build folders configured when the runtime lived in build/ keep that default
# in their cache; once build/ is removed, they follow the runtime's new home.
if(AMBER_PROTOBUF_PIC_DIR STREQUAL "${PROJECT_SOURCE_DIR}/build/protobuf-pic"
   AND NOT EXISTS ${AMBER_PROTOBUF_PIC_DIR}/lib/libprotobuf.a)
  set_property(CACHE AMBER_PROTOBUF_PIC_DIR PROPERTY VALUE ${PROJECT_SOURCE_DIR}/.cache/protobuf-pic)
endif()

# Returns at once when the runtime is there and matches the installed protoc;
# a failure is one line on standard error that says why and what to do.
execute_process(COMMAND ${PROJECT_SOURCE_DIR}/scripts/build-protobuf.sh ${AMBER_PROTOBUF_PIC_DIR}
                RESULT_VARIABLE amber_protobuf_result
                ERROR_VARIABLE amber_protobuf_error ERROR_STRIP_TRAILING_WHITESPACE)
if(NOT amber_protobuf_result EQUAL 0)
  if(NOT amber_protobuf_error)
    set(amber_protobuf_error "scripts/build-protobuf.sh failed (${amber_protobuf_result})")
  endif()
  message(FATAL_ERROR "${amber_protobuf_error}")
endif()

add_library(amber_own_protobuf STATIC IMPORTED)
set_target_properties(amber_own_protobuf PROPERTIES
  IMPORTED_LOCATION ${AMBER_PROTOBUF_PIC_DIR}/lib/libprotobuf.a
  INTERFACE_INCLUDE_DIRECTORIES ${AMBER_PROTOBUF_PIC_DIR}/include
  INTERFACE_LINK_LIBRARIES Threads::Threads)
