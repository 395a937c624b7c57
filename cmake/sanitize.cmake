# The sanitizer build's addition to every program: the wait at its end for Qt's pool threads
# (cmake/sanitize/pool_threads_at_exit.cpp), so that the leak check at exit sees them gone.
add_library(ptp_pool_threads_at_exit OBJECT ${CMAKE_CURRENT_LIST_DIR}/sanitize/pool_threads_at_exit.cpp)

function(_ptp_programs_in dir out)
  set(programs "")
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(t IN LISTS targets)
    get_target_property(type ${t} TYPE)
    if(type STREQUAL "EXECUTABLE")
      list(APPEND programs ${t})
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    _ptp_programs_in(${sub} more)
    list(APPEND programs ${more})
  endforeach()
  set(${out} "${programs}" PARENT_SCOPE)
endfunction()

# Call once every folder is added.
function(ptp_sanitize_programs)
  _ptp_programs_in(${PROJECT_SOURCE_DIR} programs)
  foreach(t IN LISTS programs)
    target_sources(${t} PRIVATE $<TARGET_OBJECTS:ptp_pool_threads_at_exit>)
  endforeach()
endfunction()
