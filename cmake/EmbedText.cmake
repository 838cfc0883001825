# cmake -DIN=<file> -DOUT=<file.cpp> -DSYMBOL=<name> [-DSTRIP=ON] -P EmbedText.cmake
# Turns a text file into a C++ character array named SYMBOL. STRIP drops
# whole-line // and /* */ comments and indentation (scripts and styles
# that keep their comments on lines of their own).
file(READ "${IN}" text)
if(STRIP)
  set(text "\n${text}")
  string(REGEX REPLACE "\n[ \t]*//[^\n]*" "" text "${text}")
  string(REGEX REPLACE "\n[ \t]*/\\*[^\n]*\\*/[ \t]*" "" text "${text}")
  string(REGEX REPLACE "\n[ \t]+" "\n" text "${text}")
  string(REGEX REPLACE "\n\n+" "\n" text "${text}")
  string(REGEX REPLACE "^\n" "" text "${text}")
endif()
string(FIND "${text}" ")GSPTEXT\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${IN} holds the embedding's end marker")
endif()
file(WRITE "${OUT}" "// Generated from ${IN}.\nextern const char ${SYMBOL}[];\nconst char ${SYMBOL}[] = R\"GSPTEXT(${text})GSPTEXT\";\n")
