# The plug-in's own protobuf runtime: a position-independent static libprotobuf
# with hidden symbols, built once per checkout by scripts/build-protobuf.sh into
# build/protobuf-pic and shared by every build folder. Only the library a host
# loads links it; with the system's shared runtime, every copy of the plug-in in
# a process (and any other plug-in that registers a file of the same name)
# would register its pack schema in one generated pool, and the second
# registration aborts the host.
set(AMBER_PROTOBUF_PIC_DIR ${PROJECT_SOURCE_DIR}/build/protobuf-pic
    CACHE PATH "Folder of the plug-in's own protobuf runtime (include/, lib/libprotobuf.a)")

# Returns at once when the runtime is there and matches the installed protoc.
execute_process(COMMAND ${PROJECT_SOURCE_DIR}/scripts/build-protobuf.sh ${AMBER_PROTOBUF_PIC_DIR}
                RESULT_VARIABLE amber_protobuf_result)
if(NOT amber_protobuf_result EQUAL 0)
  message(FATAL_ERROR "scripts/build-protobuf.sh failed: the plug-in's protobuf runtime is missing")
endif()

add_library(amber_own_protobuf STATIC IMPORTED)
set_target_properties(amber_own_protobuf PROPERTIES
  IMPORTED_LOCATION ${AMBER_PROTOBUF_PIC_DIR}/lib/libprotobuf.a
  INTERFACE_INCLUDE_DIRECTORIES ${AMBER_PROTOBUF_PIC_DIR}/include
  INTERFACE_LINK_LIBRARIES Threads::Threads)
