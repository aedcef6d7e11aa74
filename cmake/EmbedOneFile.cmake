# cmake -DINPUT=file.png -DOUTPUT=file.cpp -DNUMBER=N -P EmbedOneFile.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR size "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){32})" "\\1\n    " bytes "${bytes}")
file(WRITE "${OUTPUT}"
"// Generated from ${INPUT}; do not edit.\n"
"#include \"resources/BinaryData.h\"\n\n"
"namespace DEDEVUZIZ\n{\n"
"static const unsigned char bytes${NUMBER}[] = {\n    ${bytes}\n};\n"
"const char* const temp_binary_data_${NUMBER} = reinterpret_cast<const char*>(bytes${NUMBER});\n"
"const int temp_binary_data_${NUMBER}Size = ${size};\n"
"} // namespace DEDEVUZIZ\n")
