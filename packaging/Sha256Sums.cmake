# cmake -DFILES=a;b -DOUTPUT=SHA256SUMS -P Sha256Sums.cmake: the sums of the files by their names
# alone, as sha256sum -c reads them in the folder that holds them all.
set(sums "")
foreach(file IN LISTS FILES)
  file(SHA256 ${file} sum)
  get_filename_component(name ${file} NAME)
  string(APPEND sums "${sum}  ${name}\n")
endforeach()
file(WRITE ${OUTPUT} "${sums}")
