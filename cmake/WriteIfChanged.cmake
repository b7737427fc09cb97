# Writes a generated source only when its content changes, so that regenerating an unchanged
# file rebuilds nothing.
function(quorel_write_if_changed path content)
  if(EXISTS "${path}")
    file(READ "${path}" old)
    if(old STREQUAL content)
      return()
    endif()
  endif()
  file(WRITE "${path}" "${content}")
endfunction()
