# Lays out the sample game folder: the tracked files, the game executable,
# and two large files made here so that the repository stays small.
#   cmake -DSOURCE=<tools/sample/game> -DEXE=<kelvora.exe> -DOUT=<folder> -P assemble.cmake
file(REMOVE_RECURSE "${OUT}")
file(COPY "${SOURCE}/" DESTINATION "${OUT}")
file(COPY "${EXE}" DESTINATION "${OUT}")
file(MAKE_DIRECTORY "${OUT}/save")
# Hardly compressible: 6 bits of noise per byte, the same noise every time.
string(RANDOM LENGTH 700000
       ALPHABET "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+-"
       RANDOM_SEED 11 noise)
file(WRITE "${OUT}/music/theme.dat" "${noise}")
# Very compressible: more than a disc piece, so it is packed in several.
string(REPEAT "harbor tile 0123456789 " 50000 tiles)
file(WRITE "${OUT}/maps/world.dat" "${tiles}")
