# Warnings, character set and linking shared by every target.
add_compile_options(-Wall -Wextra)

# Sources are UTF-8; the programs carry their Spanish text in code page 1252.
add_compile_options(-finput-charset=UTF-8 -fexec-charset=CP1252)

if(WIN32)
  # Resource scripts are UTF-8 like the sources.
  enable_language(RC)
  set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} --codepage=65001")
  # No MinGW runtime DLLs to ship: everything is linked in.
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_definitions(WIN32_LEAN_AND_MEAN)
  # The same sources give the same images: no link time in the PE headers or
  # the export table, and no build machine's paths in the text (assertions
  # name their file).
  add_link_options(-Wl,--no-insert-timestamp)
  add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=;-ffile-prefix-map=${PROJECT_BINARY_DIR}/=>")
endif()

if(CMAKE_SYSTEM_PROCESSOR MATCHES "i686")
  set(ZELMOT_WIN95_TARGET ON)
  # The release carries no symbols: a third of the size of an image.
  add_link_options(-s)
endif()
