# Shared by both MinGW toolchains: link the C and C++ runtimes and winpthread
# statically, so the programs import only Windows system DLLs and run on a
# bare Windows (and under Wine) without MinGW's DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
