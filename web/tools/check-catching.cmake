# Fails when a function named in HOBWISE_WEB_CATCHING is defined in none of the web
# build's libraries and objects (renamed or moved): its catch blocks would then not
# work in the browser.
#   cmake -DNM=emnm "-DLIBRARIES=a.a;b.o" "-DNAMES=a;b" -P check-catching.cmake
set(symbols "")
foreach(library ${LIBRARIES})
  execute_process(COMMAND ${NM} --defined-only ${library} OUTPUT_VARIABLE some ERROR_QUIET)
  string(APPEND symbols "${some}")
endforeach()
foreach(name ${NAMES})
  string(FIND "${symbols}" " T ${name}\n" at)
  if(at LESS 0)
    message(FATAL_ERROR "The web build defines no ${name}: name the functions that catch exceptions "
                        "in HOBWISE_WEB_CATCHING (web/CMakeLists.txt).")
  endif()
endforeach()
