# A file and a folder, each with a symbolic link to it, in LINKS.
file(REMOVE_RECURSE ${LINKS})
file(MAKE_DIRECTORY ${LINKS}/folder)
file(WRITE ${LINKS}/file "not an image")
file(CREATE_LINK file ${LINKS}/file-link SYMBOLIC)
file(CREATE_LINK folder ${LINKS}/folder-link SYMBOLIC)
