# Prints stanza number `want` of a deb822 apt sources file as a deb-src entry for bookworm main,
# keeping its other fields (URIs, Signed-By with any embedded key, options) as they are.
BEGIN { RS = ""; FS = "\n" }
{
  fields = 0
  for (i = 1; i <= NF; i++) if ($i !~ /^#/ && $i != "") fields++
  if (fields == 0 || ++stanza != want) next
  replaced = 0
  for (i = 1; i <= NF; i++) {
    line = $i
    if (line ~ /^#/) continue
    if (line ~ /^[ \t]/) {
      if (!replaced) print line
      continue
    }
    name = tolower(line)
    sub(/:.*/, "", name)
    replaced = 1
    if (name == "types") print "Types: deb-src"
    else if (name == "suites") print "Suites: bookworm"
    else if (name == "components") print "Components: main"
    else {
      replaced = 0
      print line
    }
  }
  exit
}
