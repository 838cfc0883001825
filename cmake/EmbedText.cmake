# cmake -DIN=<file> -DOUT=<file.cpp> -DSYMBOL=<name> -P EmbedText.cmake
# Turns a text file into a C++ character array named SYMBOL.
file(READ "${IN}" text)
string(FIND "${text}" ")GSPTEXT\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${IN} holds the embedding's end marker")
endif()
file(WRITE "${OUT}" "// Generated from ${IN}.\nextern const char ${SYMBOL}[];\nconst char ${SYMBOL}[] = R\"GSPTEXT(${text})GSPTEXT\";\n")
