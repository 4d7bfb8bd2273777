# Strict warnings for our own targets; third-party code is untouched.
# orvane_target_warnings(<target>...) turns them on for each target named.
function(orvane_target_warnings)
  foreach(target IN LISTS ARGN)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  endforeach()
endfunction()
