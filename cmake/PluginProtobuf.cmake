# The plug-in's own protobuf runtime: a position-independent static libprotobuf
# with hidden symbols, built once per checkout by scripts/build-protobuf.sh into
# .cache/protobuf-pic, outside every build folder, and shared by all of them.
# Only the library a host loads links it; with the system's shared runtime,
# every copy of the plug-in in a process (and any other plug-in that registers
# a file of the same name) would register its pack schema in one generated
# pool, and the second registration aborts the host.
set(AMBER_PROTOBUF_PIC_DIR ${PROJECT_SOURCE_DIR}/.cache/protobuf-pic
    CACHE PATH "Folder of the plug-in's own protobuf runtime (include/, lib/libprotobuf.a): new, empty or built \
by scripts/build-protobuf.sh; a relative one is taken from the folder cmake was started in")
# CMake makes a relative -DAMBER_PROTOBUF_PIC_DIR=dir absolute from the folder
# cmake was started in, but keeps it relative when the type (:PATH) is given:
# both mean the same here, fixed in the cache before anything is built, so a
# later configure run by the build (from the build folder) finds the same.
if(NOT IS_ABSOLUTE "${AMBER_PROTOBUF_PIC_DIR}")
  execute_process(COMMAND pwd OUTPUT_VARIABLE amber_cwd OUTPUT_STRIP_TRAILING_WHITESPACE)
  get_filename_component(amber_protobuf_dir "${AMBER_PROTOBUF_PIC_DIR}" ABSOLUTE BASE_DIR "${amber_cwd}")
  set_property(CACHE AMBER_PROTOBUF_PIC_DIR PROPERTY VALUE "${amber_protobuf_dir}")
endif()
# Build folders configured when the runtime lived in build/ keep that default
# in their cache; once build/ is removed, they follow the runtime's new home.
if(AMBER_PROTOBUF_PIC_DIR STREQUAL "${PROJECT_SOURCE_DIR}/build/protobuf-pic"
   AND NOT EXISTS ${AMBER_PROTOBUF_PIC_DIR}/lib/libprotobuf.a)
  set_property(CACHE AMBER_PROTOBUF_PIC_DIR PROPERTY VALUE ${PROJECT_SOURCE_DIR}/.cache/protobuf-pic)
endif()

# Returns at once when the runtime is there and matches the installed protoc;
# a failure is one line on standard error that says why and what to do.
execute_process(COMMAND "${CMAKE_CURRENT_LIST_DIR}/../scripts/build-protobuf.sh" "${AMBER_PROTOBUF_PIC_DIR}"
                RESULT_VARIABLE amber_protobuf_result
                ERROR_VARIABLE amber_protobuf_error ERROR_STRIP_TRAILING_WHITESPACE)
if(NOT amber_protobuf_result EQUAL 0)
  if(NOT amber_protobuf_error)
    set(amber_protobuf_error "scripts/build-protobuf.sh failed (${amber_protobuf_result})")
  endif()
  message(FATAL_ERROR "${amber_protobuf_error}")
endif()
# The build configures again, and so checks the runtime again, whenever the
# stamp changes (another build folder rebuilt the runtime) or dpkg rewrites its
# record of libprotobuf-dev's files, which it does on every install, upgrade
# and removal of that package alone; its status file changes with every
# package on the machine, and would make every build configure again.
file(GLOB amber_dpkg_records /var/lib/dpkg/info/libprotobuf-dev.list /var/lib/dpkg/info/libprotobuf-dev:*.list)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${AMBER_PROTOBUF_PIC_DIR}/stamp" ${amber_dpkg_records})

add_library(amber_own_protobuf STATIC IMPORTED)
set_target_properties(amber_own_protobuf PROPERTIES
  IMPORTED_LOCATION "${AMBER_PROTOBUF_PIC_DIR}/lib/libprotobuf.a"
  INTERFACE_INCLUDE_DIRECTORIES "${AMBER_PROTOBUF_PIC_DIR}/include"
  INTERFACE_LINK_LIBRARIES Threads::Threads)
