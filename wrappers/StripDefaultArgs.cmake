# widl writes the type library's parameter defaults into the C++ header as default
# arguments; a VARIANT cannot be initialised from 0 and a BSTR not from L"", so the
# header would not compile. The type library keeps the defaults; the header drops them.
file(READ "${HEADER}" text)
string(REGEX REPLACE "\n(        [A-Za-z_][A-Za-z0-9_ *]* [A-Za-z_][A-Za-z0-9_]*) = (-?[0-9]+|L\"[^\"]*\")([,)])"
       "\n\\1\\3" text "${text}")
file(WRITE "${HEADER}" "${text}")
