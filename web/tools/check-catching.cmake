# Fails when a function named in HOBWISE_WEB_CATCHING is not defined in the engine's
# library (renamed or moved): its catch blocks would then not work in the browser.
#   cmake -DNM=llvm-nm -DLIBRARY=lib.a "-DNAMES=a;b" -P check-catching.cmake
execute_process(COMMAND ${NM} --defined-only ${LIBRARY} OUTPUT_VARIABLE symbols ERROR_QUIET)
foreach(name ${NAMES})
  string(FIND "${symbols}" " T ${name}\n" at)
  if(at LESS 0)
    message(FATAL_ERROR "The engine defines no ${name}: name the functions that catch exceptions "
                        "in HOBWISE_WEB_CATCHING (web/CMakeLists.txt).")
  endif()
endforeach()
