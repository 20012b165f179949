# Shared compile settings for every Plinkum target.
function(plinkum_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(PLINKUM_SANITIZE)
    list(JOIN PLINKUM_SANITIZE "," san)
    target_compile_options(${target} PRIVATE -fsanitize=${san} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    target_link_options(${target} PRIVATE -fsanitize=${san})
  endif()
endfunction()
