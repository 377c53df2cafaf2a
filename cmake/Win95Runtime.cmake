# The runtime the Windows 95 programs link with instead of the toolchain's.
#
# Debian's i686 MinGW runtime (crt2.o, libmingw32, libmingwex, libgcc,
# libstdc++) was compiled for the Pentium Pro and its programs import
# msvcrt.dll, which the first Windows 95 does not have. Here:
#  - the start-up objects, libmingw32's members, the few libmingwex members
#    the programs use and the crtdll compatibility helpers are compiled from
#    the MinGW-w64 sources of Debian's source package (the version installed)
#    for the 486;
#  - the C library is CRTDLL.DLL, which every Windows 95 has, through an
#    import library made from the same sources' crtdll.def;
#  - libstdc++ is not linked at all: the programs are built without
#    exceptions and RTTI, std::string's templates are instantiated in our
#    objects, and operator new/delete, the __throw_* helpers and 64-bit
#    division come from win95rt/;
#  - libgcc stays last for the stack probe (hand-written, 486-clean).
# scripts/check-486.py and scripts/check-imports.sh hold the result to that.
enable_language(C)

set(WIN95_CRT_SOURCE_CACHE ${CMAKE_BINARY_DIR}/mingw-w64-source CACHE PATH
  "Where Debian's MinGW-w64 runtime sources are unpacked")
execute_process(
  COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/fetch-mingw-crt.sh ${WIN95_CRT_SOURCE_CACHE}
  RESULT_VARIABLE fetch_result)
if(NOT fetch_result EQUAL 0)
  message(FATAL_ERROR "the Windows 95 build needs Debian's mingw-w64 sources (see above)")
endif()
set(WIN95_CRT_SOURCE ${WIN95_CRT_SOURCE_CACHE}/mingw-w64-crt)
set(win95rt_dir ${CMAKE_BINARY_DIR}/win95rt)
set(crtdll_import ${win95rt_dir}/libcrtdll_imports.a)
add_subdirectory(${PROJECT_SOURCE_DIR}/win95rt ${win95rt_dir})


# Every program and DLL links with the above and nothing else: the start-up
# object first, and after the program's own libraries the runtime group and
# the Windows 95 system DLLs.
add_link_options(-nostdlib
  "$<IF:$<STREQUAL:$<TARGET_PROPERTY:TYPE>,SHARED_LIBRARY>,$<TARGET_OBJECTS:win95_crtdll>,$<TARGET_OBJECTS:win95_crtexe>>")
# The system DLLs' import libraries are linked from copies beside crtdll's:
# the linker orders a program's import table by the path of each import
# library, and a build tree elsewhere (/tmp against /work) would otherwise
# reorder it.
set(win95_system_libs)
foreach(dll kernel32 user32 gdi32 advapi32 comctl32 version winmm shell32)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=lib${dll}.a
    OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
  configure_file(${found} ${win95rt_dir}/lib${dll}.a COPYONLY)
  list(APPEND win95_system_libs ${win95rt_dir}/lib${dll}.a)
endforeach()
list(JOIN win95_system_libs " " win95_system_libs)
# A program's own -ladvapi32 and the like find the copies first.
add_link_options(-L${win95rt_dir})
set(CMAKE_CXX_STANDARD_LIBRARIES "-Wl,--start-group ${win95rt_dir}/libwin95rt.a \
${win95rt_dir}/libwin95_mingw32.a ${win95rt_dir}/libwin95_mingwex.a ${win95rt_dir}/libwin95_crtdll_extra.a \
${crtdll_import} -lgcc -Wl,--end-group ${win95_system_libs}")
add_library(win95_runtime INTERFACE)
add_dependencies(win95_runtime win95rt win95_mingw32 win95_mingwex win95_crtdll_extra
  win95_crtdll_imports win95_crtexe win95_crtdll)
link_libraries(win95_runtime)

# The programs: no exceptions (nothing in them throws), no RTTI, and
# std::string's templates instantiated here rather than taken from
# libstdc++ (_GLIBCXX_ASSERTIONS turns its extern templates off). Headers
# see Windows 95 (4.0); the images say 4.0 for subsystem and OS.
add_compile_options("$<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions;-fno-rtti;-fno-threadsafe-statics>")
add_compile_definitions(_GLIBCXX_ASSERTIONS WINVER=0x0400 _WIN32_WINNT=0x0400)
# A linker map beside each image, in one folder, named after the image: the
# release images are stripped and the 486 check names functions from these.
add_link_options("LINKER:-Map,${CMAKE_BINARY_DIR}/maps/$<TARGET_FILE_NAME:$<TARGET_PROPERTY:NAME>>.map")
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/maps)
add_link_options(-Wl,--subsystem,windows:4.0,--major-os-version,4,--minor-os-version,0
  -Wl,--major-subsystem-version,4,--minor-subsystem-version,0)

# The runtime is linked through CMAKE_CXX_STANDARD_LIBRARIES, after each
# program's own libraries, where CMake sees no file dependency: every
# program and DLL under DIR is relinked when a runtime library changes.
function(win95_relink_on_runtime dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE" OR type STREQUAL "SHARED_LIBRARY")
      set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS
        ${win95rt_dir}/libwin95rt.a ${win95rt_dir}/libwin95_mingw32.a ${win95rt_dir}/libwin95_mingwex.a
        ${win95rt_dir}/libwin95_crtdll_extra.a ${crtdll_import})
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir ${subdirs})
    win95_relink_on_runtime(${subdir})
  endforeach()
endfunction()
