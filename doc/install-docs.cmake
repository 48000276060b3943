# Installs the README and the manual page, which name the folders that they
# are installed in: known only now, from the prefix of the install (/usr for
# the packages). The build sets DOCS, its folder of documents, and BIN_DIR,
# MAN_DIR and DOC_DIR, each under the prefix. gzip -9n leaves no name or
# time in what it packs, so that a package is reproducible.
set(prefix ${CMAKE_INSTALL_PREFIX})
foreach(document README numpress.1)
  file(READ ${DOCS}/${document}.installed text)
  string(REPLACE "%BIN%" "${prefix}/${BIN_DIR}" text "${text}")
  string(REPLACE "%DOC%" "${prefix}/${DOC_DIR}" text "${text}")
  file(WRITE ${DOCS}/installed/${document} "${text}")
endforeach()
execute_process(COMMAND gzip -9n INPUT_FILE ${DOCS}/installed/numpress.1
  OUTPUT_FILE ${DOCS}/installed/numpress.1.gz COMMAND_ERROR_IS_FATAL ANY)
file(INSTALL ${DOCS}/installed/README DESTINATION ${prefix}/${DOC_DIR})
file(INSTALL ${DOCS}/installed/numpress.1.gz DESTINATION ${prefix}/${MAN_DIR}/man1)
