# cmake -DFILES=a;b -DEXAMPLES=c;d -DOUTPUT=SHA256SUMS -P Sha256Sums.cmake: the sums of the files
# by their names alone, and of the examples as examples/NAME, as sha256sum -c and Get-FileHash
# read them in the folder that holds them all.
set(sums "")
foreach(file IN LISTS FILES)
  file(SHA256 ${file} sum)
  get_filename_component(name ${file} NAME)
  string(APPEND sums "${sum}  ${name}\n")
endforeach()
foreach(file IN LISTS EXAMPLES)
  file(SHA256 ${file} sum)
  get_filename_component(name ${file} NAME)
  string(APPEND sums "${sum}  examples/${name}\n")
endforeach()
file(WRITE ${OUTPUT} "${sums}")
