# The build's own helpers: a library per layer, the layer graph for its test,
# a program's man page, a test's sources and labels.

# tripconf_layer(<name> [DEPS <target>...] [PRIVATE <target>...] [SUBDIRS <dir>...]
#                [EXCLUDE <file>...] [WINDOWS <file>...] [POSIX <file>...])
#
# A layer is a static library made from its own folder: every *.cpp and *.h
# there (and in SUBDIRS), found again on each build, so a new file needs no
# line here. DEPS are the layers below it (and outside libraries) that its
# users see too, PRIVATE those only it sees. EXCLUDE keeps a file out (a
# program's main, another library's file); WINDOWS and POSIX files are built
# on that system only. The window layers (*_ui, tripconf_app) run moc.
# Every layer is recorded for the layer test's graph (layers.txt).
function(tripconf_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "DEPS;PRIVATE;SUBDIRS;EXCLUDE;WINDOWS;POSIX")
  set(patterns "")
  foreach(dir IN ITEMS . ${arg_SUBDIRS})
    list(APPEND patterns ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.h)
  endforeach()
  file(GLOB sources CONFIGURE_DEPENDS ${patterns})
  if(WIN32)
    list(APPEND arg_EXCLUDE ${arg_POSIX})
  else()
    list(APPEND arg_EXCLUDE ${arg_WINDOWS})
  endif()
  list(TRANSFORM arg_EXCLUDE PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
  list(TRANSFORM sources REPLACE "/\\./" "/")
  if(arg_EXCLUDE)
    list(REMOVE_ITEM sources ${arg_EXCLUDE})
  endif()
  list(SORT sources)

  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${arg_DEPS} PRIVATE ${arg_PRIVATE})
  if(name MATCHES "_ui$|^tripconf_app$")
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
  endif()
  set_property(GLOBAL APPEND PROPERTY TRIPCONF_LAYERS ${name})
endfunction()

# What each layer links and is built from, one line each, for the layer test:
#   "TARGET FOLDER links LIB..." and "TARGET FOLDER source FILE".
function(tripconf_write_layer_graph file)
  get_property(layers GLOBAL PROPERTY TRIPCONF_LAYERS)
  set(graph "")
  foreach(layer IN LISTS layers)
    get_target_property(links ${layer} LINK_LIBRARIES)
    get_target_property(sources ${layer} SOURCES)
    get_target_property(dir ${layer} SOURCE_DIR)
    file(RELATIVE_PATH dir ${PROJECT_SOURCE_DIR} ${dir})
    if(NOT links)
      set(links "")
    endif()
    string(REPLACE ";" " " links "${links}")
    string(APPEND graph "${layer} ${dir} links ${links}\n")
    foreach(source IN LISTS sources)
      file(RELATIVE_PATH source ${PROJECT_SOURCE_DIR} ${source})
      string(APPEND graph "${layer} ${dir} source ${source}\n")
    endforeach()
  endforeach()
  file(WRITE ${file} "${graph}")
endfunction()

# <program>.1 from the program's --help and --version (help2man), built with
# everything and installed: tripconf_man_page(<program> "<one-line summary>").
function(tripconf_man_page program summary)
  find_program(TRIPCONF_HELP2MAN help2man REQUIRED)
  set(page ${CMAKE_CURRENT_BINARY_DIR}/${program}.1)
  set(include ${PROJECT_SOURCE_DIR}/packaging/man/${program}.h2m)
  add_custom_command(OUTPUT ${page}
    COMMAND ${TRIPCONF_HELP2MAN} --no-info --no-discard-stderr --name ${summary} --include ${include} --output ${page} $<TARGET_FILE:${program}>
    DEPENDS ${program} ${include}
    COMMENT "${program}: man page")
  add_custom_target(${program}_docs ALL DEPENDS ${page})
  include(GNUInstallDirs)
  install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
