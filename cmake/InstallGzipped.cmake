# pelorin_install_gzipped(SOURCE DESTINATION NAME)
# Compresses SOURCE (relative to the calling folder) at build time and
# installs it as DESTINATION/NAME, as Debian wants manual pages and
# changelogs. gzip -n stores no name or time, so the package is reproducible.
function(pelorin_install_gzipped source destination name)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/${name})
  add_custom_command(OUTPUT ${output}
    COMMAND gzip -9 -n -c ${CMAKE_CURRENT_SOURCE_DIR}/${source} > ${output}
    DEPENDS ${source}
    VERBATIM)
  string(MAKE_C_IDENTIFIER "gzip_${name}" target)
  add_custom_target(${target} ALL DEPENDS ${output})
  install(FILES ${output} DESTINATION ${destination})
endfunction()
