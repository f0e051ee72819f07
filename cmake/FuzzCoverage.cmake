# qv_fuzz_coverage(<target>): in a fuzz build, instruments the target's own code, so that the
# fuzz targets' coverage reaches into it rather than stopping at the target's file.
include_guard(GLOBAL)

function(qv_fuzz_coverage target)
  if(QV_FUZZ)
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
  endif()
endfunction()
