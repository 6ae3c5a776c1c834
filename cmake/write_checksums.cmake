# Writes OUTPUT in the format of sha256sum: one "<hash>  <file>" line for
# each of FILES (paths relative to the working folder).
set(text "")
foreach(file ${FILES})
  file(SHA256 ${file} hash)
  string(APPEND text "${hash}  ${file}\n")
endforeach()
file(WRITE ${OUTPUT}.new "${text}")
file(RENAME ${OUTPUT}.new ${OUTPUT})
