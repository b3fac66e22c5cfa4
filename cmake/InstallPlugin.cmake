# Run by cmake --install (included from the install code of src/plugin): puts
# the plug-in folder in place through scripts/replace-file.sh, which writes
# each file under a temporary name beside its target and renames it over,
# unlike CMake's own file(INSTALL), which truncates the installed library in
# place. A host that loads the library while an install runs, or after one
# was stopped by a signal or a file-size limit, finds the old library or the
# new one, never a cut-short one that kills it.

# amber_install_plugin(FOLDER LIBRARY SOUNDS SCRIPT STRIP STRIPPED): LIBRARY and
# every file under SOUNDS into FOLDER (under the install prefix unless absolute,
# and under DESTDIR as CMake's install puts it) through SCRIPT; for
# cmake --install --strip, the tool STRIP writes the stripped library to
# STRIPPED in the build folder first. The files go into the install manifest.
function(amber_install_plugin folder library sounds script strip stripped)
  if(IS_ABSOLUTE "${folder}")
    set(dest "$ENV{DESTDIR}${folder}")
  else()
    set(dest "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${folder}")
  endif()
  foreach(built IN ITEMS "${library}" "${sounds}")
    if(NOT EXISTS "${built}")
      message(FATAL_ERROR "${built} is missing: build first (cmake --build)")
    endif()
  endforeach()
  if(CMAKE_INSTALL_DO_STRIP AND strip)
    # Stripped into the build folder: the built library stays as it was.
    execute_process(COMMAND "${strip}" -o "${stripped}" "${library}" RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "cannot strip ${library} into ${stripped}")
    endif()
    set(library "${stripped}")
  endif()

  file(GLOB_RECURSE names LIST_DIRECTORIES false RELATIVE "${sounds}" "${sounds}/*")
  list(SORT names)
  set(pairs)
  set(folders "${dest}/sounds")
  set(installed "${dest}/AmberThreshold.so")
  foreach(name IN LISTS names)
    list(APPEND pairs "${sounds}/${name}" "${dest}/sounds/${name}")
    list(APPEND installed "${dest}/sounds/${name}")
    get_filename_component(folder "${dest}/sounds/${name}" DIRECTORY)
    list(APPEND folders "${folder}")
  endforeach()
  list(REMOVE_DUPLICATES folders)
  file(MAKE_DIRECTORY ${folders})

  # One call for the library (executable, like any shared library) and one for
  # all the sounds: a shell per file would cost seconds.
  amber_replace_files(-m 755 -- "${library}" "${dest}/AmberThreshold.so")
  amber_replace_files(-m 644 -- ${pairs})
  set(CMAKE_INSTALL_MANIFEST_FILES ${CMAKE_INSTALL_MANIFEST_FILES} ${installed} PARENT_SCOPE)
endfunction()

function(amber_replace_files)
  execute_process(COMMAND sh "${script}" -v ${ARGN} RESULT_VARIABLE failed ERROR_VARIABLE why)
  if(failed)
    # A leading space keeps CMake from wrapping the routine's line.
    string(STRIP "${why}" why)
    message(FATAL_ERROR " ${why}")
  endif()
endfunction()
