# The kinds of target, the line between them and the folders that hold them.
#
#   ptp_core_library(NAME [SHARED] sources...)   plain C++: document, byte forms, rules, host, ...
#   ptp_core_program(NAME sources...)            a program on the core alone (ptpcfg, y5mklink, ...)
#   ptp_ui_library(NAME sources...)              Qt Widgets faces of the core
#   ptp_ui_program(NAME sources...)              the window program
#   ptp_add_folders(dir...)                      add_subdirectory for each; a missing one is an error
#   ptp_check_boundary()                         at the end of the top CMakeLists
#
# Every target gets the source root as its own include path: sources include headers as
# "folder/file.h". Moc stays a target's own choice (AUTOMOC only where there are Qt objects).
#
# A core target may link core targets, SQLite, the system's libraries and Qt6::Core (the host
# registry reads its INI files through QSettings); never Qt Widgets, Qt Gui or a ui target.
# ptp_check_boundary() walks the links of every core target and stops the configuration,
# naming each core target that reaches the window system and the chain it reaches it by.

include_guard(GLOBAL)

set(PTP_BOUNDARY_FORBIDDEN Qt6::Widgets Qt6::Gui Qt6::PrintSupport Qt6::OpenGLWidgets
    CACHE INTERNAL "Targets a Qt-free target must not reach")

# Adds each named folder; a folder without its CMakeLists.txt is a mistake, not an empty folder.
function(ptp_add_folders)
  foreach(dir IN LISTS ARGN)
    if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
      message(FATAL_ERROR "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt is missing")
    endif()
    add_subdirectory(${dir})
  endforeach()
endfunction()

function(_ptp_declare name kind)
  set_target_properties(${name} PROPERTIES PTP_KIND ${kind})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  set_property(GLOBAL APPEND PROPERTY PTP_${kind}_TARGETS ${name})
endfunction()

function(ptp_core_library name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "SHARED" "" "")
  if(arg_SHARED)
    add_library(${name} SHARED ${arg_UNPARSED_ARGUMENTS})
  else()
    add_library(${name} STATIC ${arg_UNPARSED_ARGUMENTS})
  endif()
  _ptp_declare(${name} CORE)
endfunction()

function(ptp_core_program name)
  add_executable(${name} ${ARGN})
  _ptp_declare(${name} CORE)
endfunction()

function(ptp_ui_library name)
  add_library(${name} STATIC ${ARGN})
  _ptp_declare(${name} UI)
endfunction()

function(ptp_ui_program name)
  add_executable(${name} ${ARGN})
  _ptp_declare(${name} UI)
endfunction()

# The targets a link item names: aliases resolved, generator expressions taken apart (every
# target named anywhere inside counts, whatever the condition), the directory markers CMake puts
# around links made from another folder dropped.
function(_ptp_linked_targets item out)
  set(found "")
  if(item MATCHES "^::@")
    set(${out} "" PARENT_SCOPE)
    return()
  endif()
  if(item MATCHES "\\$<")
    string(REGEX REPLACE "[$<>:,]+" ";" parts "${item}")
    # target names with a namespace lose their "::" above; put them back
    string(REGEX MATCHALL "[A-Za-z0-9_.+-]+::[A-Za-z0-9_.+-]+" scoped "${item}")
    list(APPEND parts ${scoped})
  else()
    set(parts "${item}")
  endif()
  foreach(p IN LISTS parts)
    if(p AND TARGET "${p}")
      get_target_property(aliased "${p}" ALIASED_TARGET)
      if(aliased)
        list(APPEND found "${aliased}")
      else()
        list(APPEND found "${p}")
      endif()
    endif()
  endforeach()
  list(REMOVE_DUPLICATES found)
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

# Empty when `root` reaches no forbidden target, else the chain "root -> ... -> Qt6::Widgets".
function(_ptp_forbidden_chain root out)
  set(queue "${root}")
  set(chain_${root} "${root}")
  set(seen "${root}")
  while(queue)
    list(POP_FRONT queue t)
    get_target_property(type ${t} TYPE)
    set(links "")
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(direct ${t} LINK_LIBRARIES)
      if(direct)
        list(APPEND links ${direct})
      endif()
    endif()
    get_target_property(iface ${t} INTERFACE_LINK_LIBRARIES)
    if(iface)
      list(APPEND links ${iface})
    endif()
    foreach(item IN LISTS links)
      _ptp_linked_targets("${item}" targets)
      foreach(next IN LISTS targets)
        if(next IN_LIST seen)
          continue()
        endif()
        list(APPEND seen ${next})
        set(chain_${next} "${chain_${t}} -> ${next}")
        get_target_property(kind ${next} PTP_KIND)
        if(next IN_LIST PTP_BOUNDARY_FORBIDDEN OR kind STREQUAL "UI")
          set(${out} "${chain_${next}}" PARENT_SCOPE)
          return()
        endif()
        list(APPEND queue ${next})
      endforeach()
    endforeach()
  endwhile()
  set(${out} "" PARENT_SCOPE)
endfunction()

# Stops the configuration when a core target links Qt Widgets (or Gui, or a ui target), directly
# or through other targets; names every such target and its chain.
function(ptp_check_boundary)
  get_property(core GLOBAL PROPERTY PTP_CORE_TARGETS)
  set(faults "")
  foreach(t IN LISTS core)
    _ptp_forbidden_chain(${t} chain)
    if(chain)
      string(APPEND faults "\n  Qt-free target ${t} links the window system: ${chain}")
    endif()
  endforeach()
  if(faults)
    message(FATAL_ERROR "Layout boundary broken:${faults}")
  endif()
  list(LENGTH core n)
  get_property(ui GLOBAL PROPERTY PTP_UI_TARGETS)
  list(JOIN ui " " ui)
  if(NOT ui)
    set(ui "none")
  endif()
  message(STATUS "Layout boundary: ${n} Qt-free targets, none links Qt Widgets; Qt Widgets targets: ${ui}")
endfunction()
