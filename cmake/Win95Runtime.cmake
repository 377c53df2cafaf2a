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
set(CMAKE_CXX_STANDARD_LIBRARIES "-Wl,--start-group ${win95rt_dir}/libwin95rt.a \
${win95rt_dir}/libwin95_mingw32.a ${win95rt_dir}/libwin95_mingwex.a ${win95rt_dir}/libwin95_crtdll_extra.a \
${crtdll_import} -lgcc -Wl,--end-group \
-lkernel32 -luser32 -lgdi32 -ladvapi32 -lcomctl32 -lversion -lwinmm -lshell32")
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
