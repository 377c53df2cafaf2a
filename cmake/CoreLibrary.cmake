# The portable core's libraries: code without <windows.h> that every build
# compiles, the host build also with the sanitizers for its tests.
set(SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

# A copy of a static library built with the sanitizers.
function(add_sanitized_library name from)
  get_target_property(sources ${from} SOURCES)
  get_target_property(dir ${from} SOURCE_DIR)
  list(TRANSFORM sources PREPEND ${dir}/)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${dir})
  target_compile_options(${name} PRIVATE ${SANITIZER_FLAGS})
  target_link_options(${name} PUBLIC ${SANITIZER_FLAGS})
endfunction()

# add_core_library(NAME SOURCES... [LINK LIBS...])
# A static library whose headers lie beside its sources. With
# WITH_SANITIZED_TESTS also NAME_san, linked with the sanitized copies of the
# LINK libraries that have one (and the others as they are).
function(add_core_library name)
  cmake_parse_arguments(L "" "" "SOURCES;LINK" ${ARGN})
  add_library(${name} STATIC ${L_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${L_LINK})
  if(WITH_SANITIZED_TESTS)
    add_sanitized_library(${name}_san ${name})
    foreach(lib ${L_LINK})
      if(TARGET ${lib}_san)
        target_link_libraries(${name}_san PUBLIC ${lib}_san)
      else()
        target_link_libraries(${name}_san PUBLIC ${lib})
      endif()
    endforeach()
  endif()
endfunction()
