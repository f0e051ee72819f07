# qv_fuzz_coverage(<target>): in a fuzz build, instruments the target's own code, so that the
# fuzz targets' coverage reaches into it rather than stopping at the target's file.
include_guard(GLOBAL)

function(qv_fuzz_coverage target)
  if(QV_FUZZ)
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
  endif()
endfunction()

# qv_fuzz_program(<target>): a program linking instrumented code needs the sanitizer runtimes,
# which only an executable's link brings in.
function(qv_fuzz_program target)
  if(QV_FUZZ)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
  endif()
endfunction()
