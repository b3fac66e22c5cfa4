# Gives a target its own copy of the generated sample-pack classes
# ("samplepack.pb.h"), made by Debian's protoc from src/engine/samplepack.proto
# and built against Debian's shared protobuf runtime, or with OWN_RUNTIME
# against the plug-in's own static one (cmake/PluginProtobuf.cmake), whose
# headers are then the ones the target compiles with.
find_package(Protobuf REQUIRED)

function(amber_add_samplepack_classes target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "OWN_RUNTIME" "" "")
  set(pb_dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_pb)
  set(proto ${PROJECT_SOURCE_DIR}/src/engine/samplepack.proto)
  file(MAKE_DIRECTORY ${pb_dir})
  add_custom_command(
    OUTPUT ${pb_dir}/samplepack.pb.cc ${pb_dir}/samplepack.pb.h
    COMMAND protobuf::protoc --cpp_out=${pb_dir} -I ${PROJECT_SOURCE_DIR}/src/engine ${proto}
    DEPENDS ${proto} protobuf::protoc
    COMMENT "Generating the sample pack classes for ${target}")
  # Generated code is not ours to warn about.
  set_source_files_properties(${pb_dir}/samplepack.pb.cc PROPERTIES COMPILE_OPTIONS "-w")
  target_sources(${target} PRIVATE ${pb_dir}/samplepack.pb.cc)
  target_include_directories(${target} SYSTEM PUBLIC ${pb_dir})
  if(arg_OWN_RUNTIME)
    target_link_libraries(${target} PUBLIC amber_own_protobuf)
  else()
    target_link_libraries(${target} PUBLIC protobuf::libprotobuf)
  endif()
endfunction()
