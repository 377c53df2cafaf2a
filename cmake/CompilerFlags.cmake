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
endif()

if(CMAKE_SYSTEM_PROCESSOR MATCHES "i686")
  set(ZELMOT_WIN95_TARGET ON)
endif()
