# Run by CPack on the staged files before it packs them, for what Debian
# expects of a package whoever wrote the install rule:
#  - manual pages and changelogs compressed with gzip -9n (no name or time
#    stamp, so that the package is reproducible);
#  - binaries without the .comment section, the compiler's version strings,
#    which CPack's strip leaves.
file(GLOB_RECURSE documents LIST_DIRECTORIES false
     "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/man/man*/*"
     "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/doc/*/changelog")
foreach(document IN LISTS documents)
  if(NOT document MATCHES "\\.gz$")
    execute_process(COMMAND gzip -9 -n -f "${document}" COMMAND_ERROR_IS_FATAL ANY)
  endif()
endforeach()

file(GLOB_RECURSE programs LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/*")
foreach(program IN LISTS programs)
  file(READ "${program}" magic LIMIT 4 HEX)
  if(magic STREQUAL "7f454c46")
    execute_process(COMMAND objcopy --remove-section=.comment "${program}" COMMAND_ERROR_IS_FATAL ANY)
  endif()
endforeach()
