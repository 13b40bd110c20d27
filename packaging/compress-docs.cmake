# Run by CPack on the staged files before it packs them: Debian wants manual
# pages and changelogs compressed with gzip -9n (no name or time stamp, so
# the package is reproducible). Catches every manual page the project's
# install rules put there, whoever wrote the rule.
file(GLOB_RECURSE documents LIST_DIRECTORIES false
     "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/man/man*/*"
     "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/doc/*/changelog")
foreach(document IN LISTS documents)
  if(NOT document MATCHES "\\.gz$")
    execute_process(COMMAND gzip -9 -n -f "${document}" COMMAND_ERROR_IS_FATAL ANY)
  endif()
endforeach()
