# Turns a file into a C++ source holding its bytes:
#   cmake -DINPUT=file -DOUTPUT=file.cpp -DSYMBOL=name -P EmbedFile.cmake
# defines  extern "C" const unsigned char name[]  (the bytes plus one NUL that is
# not counted) and  extern "C" const size_t nameCount  (the file's exact size).
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
  "#include <cstddef>\n"
  "extern \"C\" const unsigned char ${SYMBOL}[] = {\n${bytes}0x00};\n"
  "extern \"C\" const size_t ${SYMBOL}Count = ${size};\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
