# Settings every target of the project shares: warnings, explicit text conversions, sanitizers.
function(tervala_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-missing-field-initializers)
  target_compile_definitions(${target} PRIVATE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII
                                               QT_NO_CAST_FROM_BYTEARRAY QT_USE_QSTRINGBUILDER)
  if(TERVALA_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                                             -fno-sanitize-recover=undefined)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
  if(TERVALA_FUZZ)
    # coverage for the fuzzer's guidance; the fuzz target itself links libFuzzer
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link)
  endif()
endfunction()
