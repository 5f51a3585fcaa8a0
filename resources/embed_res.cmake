# cmake -DINPUT=<file.res> -DOUTPUT=<file.cpp> -P embed_res.cmake
# Writes the compiled resources as a byte array behind TessoidResourceBytes().
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
# Sixteen bytes a line keeps the generated source readable in a debugger.
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REPEAT "0x..," 16 line)
string(REGEX REPLACE "(${line})" "\\1\n    " bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT} by embed_res.cmake; do not edit.
#include \"resources/embedded_resources.h\"

namespace {
alignas(4) const unsigned char kResources[${size} + 1] = {
    ${bytes}0};
}  // namespace

const unsigned char* TessoidResourceBytes(unsigned* size) {
    if (size) *size = ${size}u;
    return kResources;
}
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
